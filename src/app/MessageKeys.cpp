#include "app/MessageKeys.h"

namespace {

constexpr MessageKeyUse kMessageKeys[] = {
    // Main window: toolbar button texts ("tb%d" with 0 to 5) and the file dialogs' filter.
    {"tb0", ""},
    {"tb1", ""},
    {"tb2", ""},
    {"tb3", ""},
    {"tb4", ""},
    {"tb5", ""},
    {"fopenfilter", ""},

    // ShowCommunicationError after a device read or write: the text of the stored error.
    {"comerr", "s"},
    // WriteDeviceTask: the device is not the edited model or its firmware is out of range.
    {"diffdev", ""},
    // ReadDeviceTask and the monitor's PollTask: the model code read from register 9600.
    {"unknowndev", "d"},

    // LoadConfigurationFile.
    {"illfileerr", ""},
    {"verfileerr", ""},
    {"desfileerr", ""},

    // Progress window line (reading, writing).
    {"uploading", ""},
    {"downloading", ""},
    // Byte counter popup of the text editor: the UTF-8 length of the typed text.
    {"pup.count", "d"},

    // Monitor lamp descriptions: "lamp%d" with the lamp number 0 to 4, followed by
    // "color%d" with the lamp's colour index 0 to 6 (index 7 is only a drawing pattern).
    {"lamp0", ""},
    {"lamp1", ""},
    {"lamp2", ""},
    {"lamp3", ""},
    {"lamp4", ""},
    {"color0", ""},
    {"color1", ""},
    {"color2", ""},
    {"color3", ""},
    {"color4", ""},
    {"color5", ""},
    {"color6", ""},
    // Monitor status line.
    {"mon.err", ""},
    {"mon.ok", ""},
    {"mon.null", ""},

    // Every failed Modbus transaction: operation name, chunk address + 1, chunk count, and
    // the detail text of the error kind (one of the mbio.* texts below).
    {"mbio.message", "sdds"},
    {"mbio.timeout", ""},
    {"mbio.invalid_transaction", ""},
    {"mbio.invalid_response", ""},
    {"mbio.crcerr", ""},
    // Detail of an exception response: the Modbus exception code.
    {"mbio.exception", "d"},
    // Open in TCP mode (socket, name resolution, connect): the system's reason.
    {"mbio.tcperr", "s"},
    // CSerialIO::OpenPort: the device path that was opened, then the system's reason.
    {"serio.openerr", "ss"},
    // Appended to the open error's reason when the system refuses access to the port.
    {"serio.dialout", ""},
    {"MSG_CANNOT_COM_SETTING", ""},

    // SetText / CheckRange: parameter name, lowest and highest value, the limits written by
    // FormatNumber (decimals, hexadecimal or list texts), hence texts.
    {"rangeerr", "sss"},
    {"iperr", ""},
    {"inperr", ""},
    {"inpierr", ""},
    {"inpherr", ""},
    // SetText of text and network-name parameters: parameter name, longest length in bytes.
    {"toolongerr", "sd"},
    {"nwknameerr", "sd"},
    {"ssiderr", "s"},
    {"weperr", "s"},
    {"wpaerr", "s"},
    {"enckeyerr", "s"},

    // CheckConsistency of the wireless LAN models.
    {"wlan.adhocerr", ""},
    {"wlan.wep64err", ""},
    {"wlan.wep128err", ""},

    // korva-cli set: the parameter name given, or the parameter's display name, then the model's
    // display name, the value given and the choices, or the highest channel number.
    {"cli.noparam", "ss"},
    {"cli.readonly", "s"},
    {"cli.disabled", "s"},
    {"cli.nochoice", "sss"},
    {"cli.channels", "sd"},
    // korva-cli new: the model name given and the model names offered.
    {"cli.nomodel", "ss"},

    // Unit texts of the parameter definitions (unit 1 to 11).
    {"unitsec", ""},
    {"unitch", ""},
    {"unitdegc", ""},
    {"unitdegf", ""},
    {"unitperc", ""},
    {"unitma", ""},
    {"unita", ""},
    {"unitmv", ""},
    {"unitv", ""},
    {"unitohm", ""},
    {"unitdbm", ""},
};

} // namespace

std::span<const MessageKeyUse> KnownMessageKeys()
{
    return kMessageKeys;
}
