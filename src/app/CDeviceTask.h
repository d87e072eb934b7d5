#pragma once
// The common frame of the two device transfers (read all parameters, write all parameters):
// open the client, run the transfer, close the client, and sort out how it ended. The main
// window runs them as executor tasks behind its progress window; korva-cli runs them directly.
//
// A run reports its progress and asks whether to stop through the DeviceTaskControl it is
// given, so the caller decides where progress goes and what "cancel" means (the progress
// window's button, an interrupt signal). A caller that cancels also calls the client's Cancel,
// so that a transaction waiting for its answer ends at once.

#include <QString>

#include <exception>
#include <functional>

class CModbusInterface;

struct DeviceTaskControl {
    // Called on the running thread with 0 to 1 after every parameter; may be empty.
    std::function<void(double fraction)> setProgress;
    // Polled on the running thread between transactions; may be empty (never cancelled).
    std::function<bool()> isCancelRequested;
};

class CDeviceTask {
public:
    enum class Outcome { NotRun, Completed, Cancelled, Failed };

    explicit CDeviceTask(CModbusInterface& client);
    virtual ~CDeviceTask();
    CDeviceTask(const CDeviceTask&) = delete;
    CDeviceTask& operator=(const CDeviceTask&) = delete;

    // Runs the transfer on the calling thread and returns how it ended. An error of the
    // program's family (CException) ends the run as Failed and is kept for the caller to show
    // ("comerr"), unless the cancel had been requested: a cancelled run reports nothing. Errors
    // of other families pass through. The client is closed in every case.
    Outcome Run(const DeviceTaskControl& control);

    Outcome GetOutcome() const { return m_outcome; }
    // The error that ended a Failed run; null otherwise.
    std::exception_ptr GetError() const { return m_error; }
    // Its message, the insert of "comerr"; empty unless Failed.
    QString GetErrorText() const { return m_errorText; }

protected:
    // The work between Open and Close. Returns false when it stopped early because the cancel
    // was requested.
    virtual bool Transfer() = 0;
    // Forgets the results of an earlier run.
    virtual void ResetResult() {}

    CModbusInterface& Client() const { return m_client; }
    bool IsCancelRequested() const;
    void SetProgress(double fraction) const;

private:
    void RunTransfer();

    CModbusInterface& m_client;
    const DeviceTaskControl* m_control = nullptr;
    Outcome m_outcome = Outcome::NotRun;
    std::exception_ptr m_error;
    QString m_errorText;
};
