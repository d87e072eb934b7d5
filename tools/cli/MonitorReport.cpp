#include "MonitorReport.h"

#include "ParameterListing.h"

#include "app/CMonitorPanel.h"
#include "app/CResourceDatabase.h"
#include "model/CDevInterface.h"

#include <QJsonArray>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// Controls of the monitor window whose texts label the same things here.
constexpr int kMonitorDialog = 134;
constexpr int kLampsFrame = 1048;
constexpr int kLampOnButton = 1027;
constexpr int kLampBlinkButton = 1028;
constexpr int kLampOffButton = 1029;
constexpr int kBuzzerLabel = 1045;
constexpr int kBuzzerSteadyButton = 1042;
constexpr int kBuzzerIntermittentButton = 1043;
constexpr int kBuzzerOffButton = 1044;
constexpr int kInputsFrame = 1049;
constexpr std::array<int, 2> kInputRowLabels = {1050, 1051};
constexpr std::array<int, 7> kInputColumnLabels = {1052, 1053, 1054, 1055, 1056, 1059, 1060};

// The input matrix: the first row has a cell under each lamp and both buzzers, the second one
// under the lamps only.
struct InputCell {
    int column; // into kInputColumnLabels
    int input;
};
const std::array<std::vector<InputCell>, 2> kInputRows = {{
    {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 13}},
    {{0, 8}, {1, 9}, {2, 10}, {3, 11}, {4, 12}},
}};

QString GuiText(int control)
{
    return CResourceDatabase::Instance().GetGuiText(kMonitorDialog, control);
}

QString ModeText(OutputMode mode, int on, int blink, int off)
{
    switch (mode) {
    case OutputMode::On: return GuiText(on);
    case OutputMode::Blink: return GuiText(blink);
    default: return GuiText(off);
    }
}

QString ModeName(OutputMode mode)
{
    switch (mode) {
    case OutputMode::On: return QStringLiteral("on");
    case OutputMode::Blink: return QStringLiteral("blink");
    default: return QStringLiteral("off");
    }
}

QString StateName(MonitorState state)
{
    switch (state) {
    case MonitorOk: return QStringLiteral("ok");
    case MonitorFailed: return QStringLiteral("error");
    default: return QStringLiteral("waiting");
    }
}

// The lamps the window describes: those the device has, and the second colour of a two-colour
// fourth lamp, which the fifth lamp's coils drive.
std::vector<int> ShownLamps(const CMonitorPanel& panel)
{
    std::vector<int> lamps;
    for (int lamp = 0; lamp < CMonitorPanel::kLampCount; ++lamp)
        if (lamp < panel.GetLampCount() || (lamp == 4 && panel.HasTwoColourFourthLamp()))
            lamps.push_back(lamp);
    return lamps;
}

QString RgbText(int colour)
{
    const LampRgb rgb = CMonitorPanel::ColourRgb(colour);
    return QStringLiteral("#%1%2%3").arg(rgb.red, 2, 16, QChar(u'0')).arg(rgb.green, 2, 16, QChar(u'0')).arg(rgb.blue, 2, 16, QChar(u'0')).toUpper();
}

} // namespace

QString MonitorReportText(const MonitorSnapshot& snapshot)
{
    const CMonitorPanel panel(snapshot);
    QString text;
    if (snapshot.model)
        text += ModelHeadline(*snapshot.model) + u'\n';
    text += CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(panel.StatusMessageKey())) + u'\n';
    if (snapshot.model)
        text += ParameterListText(snapshot.model);

    const std::vector<int> lamps = ShownLamps(panel);
    if (!lamps.empty()) {
        text += GuiText(kLampsFrame) + u'\n';
        qsizetype width = 0;
        for (const int lamp : lamps)
            width = std::max(width, CMonitorPanel::LampText(lamp, panel.GetLampColour(lamp)).size());
        for (const int lamp : lamps)
            text += QStringLiteral("  %1  %2\n")
                        .arg(CMonitorPanel::LampText(lamp, panel.GetLampColour(lamp)).leftJustified(width),
                             ModeText(panel.GetLampMode(lamp), kLampOnButton, kLampBlinkButton, kLampOffButton));
    }
    text += QStringLiteral("%1  %2\n").arg(GuiText(kBuzzerLabel),
                                           ModeText(panel.GetBuzzerMode(), kBuzzerSteadyButton, kBuzzerIntermittentButton, kBuzzerOffButton));
    if (panel.IsInputPanelEnabled()) {
        text += GuiText(kInputsFrame) + u'\n';
        for (std::size_t row = 0; row < kInputRows.size(); ++row) {
            QStringList cells;
            for (const InputCell& cell : kInputRows[row])
                cells << QStringLiteral("%1 %2").arg(GuiText(kInputColumnLabels[static_cast<std::size_t>(cell.column)]),
                                                     GuiText(panel.GetInput(cell.input) ? kLampOnButton : kLampOffButton));
            text += QStringLiteral("  %1  %2\n").arg(GuiText(kInputRowLabels[row]), cells.join(QStringLiteral(", ")));
        }
    }
    return text;
}

QJsonObject MonitorReportJson(const MonitorSnapshot& snapshot)
{
    const CMonitorPanel panel(snapshot);
    QJsonObject report{
        {QStringLiteral("status"), StateName(snapshot.state)},
        {QStringLiteral("statusText"), CResourceDatabase::Instance().GetMessageText(QString::fromLatin1(panel.StatusMessageKey()))},
    };
    if (snapshot.state == MonitorFailed)
        report.insert(QStringLiteral("error"), snapshot.errorText);
    if (snapshot.model) {
        report.insert(QStringLiteral("model"), ModelNamesOf(*snapshot.model).name);
        report.insert(QStringLiteral("code"), snapshot.model->GetModelCode());
        report.insert(QStringLiteral("firmware"), static_cast<qint64>(snapshot.model->GetFirmware()));
        report.insert(QStringLiteral("parameters"), ParameterListJson(snapshot.model));
    } else {
        report.insert(QStringLiteral("model"), QJsonValue::Null);
    }

    QJsonArray lamps;
    for (const int lamp : ShownLamps(panel)) {
        const int colour = panel.GetLampColour(lamp);
        lamps.append(QJsonObject{
            {QStringLiteral("lamp"), lamp + 1},
            {QStringLiteral("colour"), colour},
            {QStringLiteral("rgb"), RgbText(colour)},
            {QStringLiteral("text"), CMonitorPanel::LampText(lamp, colour)},
            {QStringLiteral("state"), ModeName(panel.GetLampMode(lamp))},
            {QStringLiteral("fast"), panel.IsLampBlinkFast()},
        });
    }
    report.insert(QStringLiteral("lamps"), lamps);
    report.insert(QStringLiteral("buzzer"), QJsonObject{
        {QStringLiteral("state"), ModeName(panel.GetBuzzerMode())},
        {QStringLiteral("fast"), panel.IsBuzzerBlinkFast()},
    });

    if (panel.IsInputPanelEnabled()) {
        QJsonObject inputs;
        const std::array<QString, 2> rowNames = {QStringLiteral("com1"), QStringLiteral("com2")};
        for (std::size_t row = 0; row < kInputRows.size(); ++row) {
            QJsonArray cells;
            for (const InputCell& cell : kInputRows[row])
                cells.append(panel.GetInput(cell.input));
            inputs.insert(rowNames[row], cells);
        }
        report.insert(QStringLiteral("inputs"), inputs);
    } else {
        report.insert(QStringLiteral("inputs"), QJsonValue::Null);
    }
    report.insert(QStringLiteral("registers"), QJsonObject{
        {QStringLiteral("coils"), snapshot.values.coils},
        {QStringLiteral("inputs"), snapshot.values.inputs},
        {QStringLiteral("status"), snapshot.values.status},
        {QStringLiteral("wirelessMode"), snapshot.values.wirelessMode},
    });
    return report;
}
