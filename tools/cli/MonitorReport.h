#pragma once
// What korva-cli monitor prints after each poll: the state the monitor window shows (model,
// status line, status values, lamps with their colours and on/blink/off, buzzer, inputs), as
// text in the display language or as one line of JSON.

#include "app/MonitorSnapshot.h"

#include <QJsonObject>
#include <QString>

QString MonitorReportText(const MonitorSnapshot& snapshot);
QJsonObject MonitorReportJson(const MonitorSnapshot& snapshot);
