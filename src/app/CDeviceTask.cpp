#include "app/CDeviceTask.h"

#include "modbus/CException.h"
#include "modbus/CModbusInterface.h"

namespace {

// Closes the client however the transfer ends.
class ClientCloser {
public:
    explicit ClientCloser(CModbusInterface& client) : m_client(client) {}
    ~ClientCloser() { m_client.Close(); }
    ClientCloser(const ClientCloser&) = delete;
    ClientCloser& operator=(const ClientCloser&) = delete;

private:
    CModbusInterface& m_client;
};

} // namespace

CDeviceTask::CDeviceTask(CModbusInterface& client) : m_client(client) {}

CDeviceTask::~CDeviceTask() = default;

CDeviceTask::Outcome CDeviceTask::Run(const DeviceTaskControl& control)
{
    m_outcome = Outcome::NotRun;
    m_error = nullptr;
    m_errorText.clear();
    ResetResult();
    // The control belongs to the caller and is used only during this call.
    m_control = &control;
    try {
        RunTransfer();
    } catch (...) {
        m_control = nullptr;
        throw;
    }
    m_control = nullptr;
    return m_outcome;
}

void CDeviceTask::RunTransfer()
{
    try {
        ClientCloser closer(m_client);
        m_client.Open();
        m_outcome = Transfer() ? Outcome::Completed : Outcome::Cancelled;
    } catch (const CException& error) {
        // A transaction aborted by the client's Cancel also lands here; once the user asked to
        // stop, whatever went wrong is no news to them.
        if (IsCancelRequested() || error.ErrorText().isEmpty()) {
            m_outcome = Outcome::Cancelled;
        } else {
            m_outcome = Outcome::Failed;
            m_error = std::current_exception();
            m_errorText = error.ErrorText();
        }
    }
}

bool CDeviceTask::IsCancelRequested() const
{
    return m_control && m_control->isCancelRequested && m_control->isCancelRequested();
}

void CDeviceTask::SetProgress(double fraction) const
{
    if (m_control && m_control->setProgress)
        m_control->setProgress(fraction);
}
