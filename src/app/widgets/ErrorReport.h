#pragma once
// Shows an error of the program's error family to the user: a message box captioned with the
// application's name. An error without text stands for a cancellation and shows nothing.

#include <QMessageBox>

class CException;
class QWidget;

void ReportError(const CException& error, QMessageBox::Icon icon, QWidget* parent);
