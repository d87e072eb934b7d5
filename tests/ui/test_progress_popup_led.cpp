// ctest-label: gui
// The three small windows: the progress window moved from a worker thread, its Cancel that asks
// but does not close, and its end; the byte counter label that fits its text; the round lamp.

#include "ModalAnswer.h"

#include "app/CResourceDatabase.h"
#include "connection/CObserver.h"
#include "connection/widgets/CLedIndicator.h"
#include "connection/widgets/CPopupWindow.h"
#include "connection/widgets/CProgressDialog.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <thread>
#include <vector>

namespace {

class CountingObserver : public CObserver {
public:
    void Update(void* source) override { sources.push_back(source); }
    std::vector<void*> sources;
};

template <typename Widget>
Widget* Control(QWidget& dialog, int id)
{
    for (Widget* widget : dialog.findChildren<Widget*>()) {
        if (widget->property("ctrlId").toInt() == id)
            return widget;
    }
    return nullptr;
}

TEST(ProgressDialog, ProgressFromAWorkerThreadJumpsToItsPosition)
{
    CProgressDialog progress;
    QProgressBar* bar = Control<QProgressBar>(progress, CProgressDialog::kBarId);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), CProgressDialog::kRange);
    QSignalSpy positions(bar, &QProgressBar::valueChanged);

    std::thread worker([&progress] { progress.SetProgress(0.5); });
    worker.join();
    QTRY_COMPARE(bar->value(), 500000000);
    ASSERT_EQ(positions.size(), 3);
    EXPECT_EQ(positions[1][0].toInt(), 499999999) << "through the position one below";

    struct Case {
        double fraction;
        int position;
    };
    const Case cases[] = {{1.0, CProgressDialog::kRange}, {0.0, 0}, {2.5, CProgressDialog::kRange},
                          {-1.0, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}, {0.25, 250000000}};
    for (const Case& c : cases) {
        progress.SetProgress(c.fraction);
        QCoreApplication::processEvents();
        EXPECT_EQ(bar->value(), c.position) << c.fraction;
    }
}

TEST(ProgressDialog, CancelAsksEveryTimeAndOnlyEndProgressCloses)
{
    CProgressDialog progress;
    CountingObserver owner;
    progress.AddObserver(owner);
    QPushButton* cancel = Control<QPushButton>(progress, CProgressDialog::kCancelId);
    ASSERT_NE(cancel, nullptr);

    bool stillOpen = false;
    ModalAnswer<CProgressDialog> user([&](CProgressDialog& window) {
        if (owner.sources.size() < 2) {
            QTest::keyClick(&window, Qt::Key_Return); // Enter closes nothing
            QTest::mouseClick(cancel, Qt::LeftButton);
            QTest::keyClick(&window, Qt::Key_Escape);
            stillOpen = window.isVisible();
        } else {
            window.EndProgress();
        }
    });
    EXPECT_EQ(progress.RunModal(CProgressDialog::kReading), QDialog::Rejected);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(progress.IsCancelRequested());
    ASSERT_EQ(owner.sources.size(), 2u);
    EXPECT_EQ(owner.sources[0], static_cast<CObservable*>(&progress));
    EXPECT_EQ(Control<QLabel>(progress, CProgressDialog::kTextId)->text(),
              CResourceDatabase::Instance().GetMessageText(u"uploading"));
}

TEST(ProgressDialog, EndWithoutCancelNotifiesNobody)
{
    CProgressDialog progress;
    CountingObserver owner;
    progress.AddObserver(owner);
    ModalAnswer<CProgressDialog> task([](CProgressDialog& window) { window.EndProgress(); });
    progress.RunModal(CProgressDialog::kWriting);
    EXPECT_FALSE(progress.IsCancelRequested());
    EXPECT_TRUE(owner.sources.empty());
    EXPECT_EQ(Control<QLabel>(progress, CProgressDialog::kTextId)->text(),
              CResourceDatabase::Instance().GetMessageText(u"downloading"));
    EXPECT_FALSE(progress.windowTitle().isEmpty());
}

TEST(PopupWindow, TakesExactlyTheSizeOfItsText)
{
    QWidget parent;
    parent.resize(300, 200);
    CPopupWindow popup;
    popup.Create(parent, 10, 40);
    EXPECT_EQ(popup.parentWidget(), &parent);
    EXPECT_EQ(popup.objectName(), QStringLiteral("popup"));
    EXPECT_EQ(popup.property("ctrlId").toInt(), CPopupWindow::kControlId);
    EXPECT_EQ(popup.GetText(), QStringLiteral("0 bytes"));
    const QFontMetrics metrics(popup.font());
    EXPECT_EQ(popup.geometry(), QRect(10, 40, metrics.horizontalAdvance(popup.GetText()), metrics.height()));

    popup.SetCount(1234);
    EXPECT_EQ(popup.GetText(), QStringLiteral("1234 bytes"));
    EXPECT_EQ(popup.pos(), QPoint(10, 40));
    EXPECT_EQ(popup.width(), metrics.horizontalAdvance(QStringLiteral("1234 bytes")));

    const QImage image = popup.grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 1, 0), QColor(255, 255, 200));
}

TEST(LedIndicator, ACentredCircleAsHighAsAWideControl)
{
    CLedIndicator led;
    led.resize(40, 20);
    EXPECT_EQ(led.GetColor(), QColor(Qt::black));
    QImage image = led.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 10), QColor(Qt::black)) << "black before the first colour";

    led.SetColor(QColor(255, 0, 0));
    image = led.grab().toImage();
    EXPECT_EQ(image.pixelColor(20, 10), QColor(255, 0, 0));
    // The circle spans x 10..29 and the full height; left and right of it stays white.
    EXPECT_EQ(image.pixelColor(5, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(34, 10), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 2), QColor(255, 0, 0));
    EXPECT_NE(image.pixelColor(20, 0), QColor(Qt::white)) << "the outline touches the top";
    EXPECT_EQ(image.pixelColor(11, 1), QColor(Qt::white)) << "the square's corner is outside";
}

} // namespace
