#include "app/widgets/ErrorReport.h"

#include "modbus/CException.h"

#include <QApplication>

void ReportError(const CException& error, QMessageBox::Icon icon, QWidget* parent)
{
    const QString text = error.ErrorText();
    if (text.isEmpty())
        return;
    QMessageBox box(icon, QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}
