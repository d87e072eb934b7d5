#pragma once
// A small language of the list tests' own: the names, lists and messages the parameter list
// shows for VK20E and VK20C, so that the tests do not depend on the wording of the shipped
// files. The "rate" list stops after three entries on purpose (the model allows four values).

#include <QString>

inline QString ListTestLanguageBody()
{
    return QStringLiteral(
        "<message>"
        "<text name=\"rangeerr\">%1 must be between %2 and %3.</text>"
        "<text name=\"pup.count\">%1!d! bytes</text>"
        "<text name=\"unitsec\">s</text>"
        "<text name=\"wlan.wep64err\">wep64</text>"
        "</message>"
        "<parameter name=\"VK20E\">"
        "<text name=\"lname\">Wired</text>"
        "<text name=\"info\">Information</text><text name=\"tag\">Tag</text>"
        "<text name=\"ipcap\">IP</text><text name=\"ipadrs\">Address</text>"
        "<text name=\"subnetmask\">Mask</text><text name=\"defaultgateway\">Gateway</text>"
        "<text name=\"modbustcpcap\">Modbus</text><text name=\"port\">Port</text>"
        "<text name=\"tcptimeout\">TCP timeout</text><text name=\"runtimeout\">Run timeout</text>"
        "</parameter>"
        "<parameter name=\"VK20C\">"
        "<text name=\"lname\">Radio</text>"
        "<text name=\"devinfo\">Device</text><text name=\"tag\">Tag</text>"
        "<text name=\"modbuscap\">Modbus</text><text name=\"nodeadrs\">Node</text>"
        "<text name=\"rate\">Rate</text><text name=\"ch\">Channels</text>"
        "<text name=\"fixroute\">Fixed route</text><text name=\"detoadrs\">Destination</text>"
        "<text name=\"detoflg\">Destination kind</text><text name=\"resetcmd\">Reset</text>"
        "<list name=\"rate\">"
        "<item name=\"0\"><value>0</value><text>9600</text></item>"
        "<item name=\"1\"><value>1</value><text>19200</text></item>"
        "<item name=\"2\"><value>2</value><text>38400</text></item>"
        "</list>"
        "<list name=\"fixroute\"><text name=\"0\">Off</text><text name=\"1\">On</text></list>"
        "<list name=\"detoflg\"><text name=\"0\">Address</text><text name=\"1\">Coordinator</text></list>"
        "<list name=\"resetcmd\"><text name=\"0\">Keep</text><text name=\"1\">Reset</text></list>"
        "</parameter>");
}
