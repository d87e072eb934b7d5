#include "connection/widgets/CProgressDialog.h"

#include "app/CResourceDatabase.h"
#include "app/widgets/DialogTexts.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

template <typename Widget>
Widget* WithId(Widget* widget, int id)
{
    widget->setProperty(kControlIdProperty, id);
    return widget;
}

// 216 dialog units: a dialog unit is a quarter of the font's average character width.
constexpr int kWidthInQuarterCharacters = 216;

} // namespace

CProgressDialog::CProgressDialog(QWidget* parent)
    : QDialog(parent),
      m_text(WithId(new QLabel(this), kTextId)),
      m_bar(WithId(new QProgressBar(this), kBarId)),
      m_cancelButton(WithId(new QPushButton(QStringLiteral("Cancel"), this), kCancelId))
{
    setWindowTitle(QStringLiteral("Progress"));
    m_bar->setTextVisible(false);
    // The window has no default button: Enter must not reach Cancel by accident.
    m_cancelButton->setAutoDefault(false);
    m_cancelButton->setDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &CProgressDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    Initialize();
}

CProgressDialog::~CProgressDialog() = default;

void CProgressDialog::Initialize()
{
    ApplyDialogFont(*this);
    ApplyDialogTexts(kDialogId, *this);
    const CResourceDatabase& database = CResourceDatabase::Instance();
    m_text->setText(database.GetMessageText(m_mode == kWriting ? u"downloading" : u"uploading"));
    m_bar->setRange(0, kRange);
    m_bar->setValue(0);
    setMinimumWidth(QFontMetrics(font()).averageCharWidth() * kWidthInQuarterCharacters / 4);
}

int CProgressDialog::RunModal(int mode)
{
    m_mode = mode;
    Initialize();
    return exec();
}

void CProgressDialog::SetProgress(double fraction)
{
    // Held inside the range: the bar ignores positions outside it, and converting a double
    // beyond the int range would be undefined.
    const double scaled = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0) * kRange;
    const int position = static_cast<int>(scaled);
    // Stepping back by one and forward again makes the bar jump to the position instead of
    // animating towards it on styles that animate.
    QMetaObject::invokeMethod(
        m_bar,
        [bar = m_bar, position] {
            bar->setValue(position);
            bar->setValue(position - 1);
            bar->setValue(position);
        },
        Qt::AutoConnection);
}

void CProgressDialog::EndProgress()
{
    QDialog::reject();
}

void CProgressDialog::accept()
{
}

void CProgressDialog::reject()
{
    m_cancel = true;
    Notify();
}
