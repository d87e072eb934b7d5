// The smallest Qt Widgets program that shows a dialog: the yardstick for KORVA's start-up time
// and memory (bench/startup). Like KORVA, it writes "Main window shown" to stderr when
// KORVA_TRACE=1 and its window has been painted for the first time.

#include <QApplication>
#include <QDialog>

#include <cstdio>

namespace {

class EmptyDialog : public QDialog {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QDialog::paintEvent(event);
        if (!m_shown) {
            m_shown = true;
            if (qEnvironmentVariable("KORVA_TRACE") == QStringLiteral("1")) {
                std::fputs("Main window shown\n", stderr);
                std::fflush(stderr);
            }
        }
    }

private:
    bool m_shown = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    EmptyDialog dialog;
    dialog.resize(400, 300);
    return dialog.exec();
}
