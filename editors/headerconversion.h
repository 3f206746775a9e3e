#pragma once

#include "data/headerfields.h"
#include "data/image.h"

#include <array>
#include <cstdint>
#include <utility>

// The peripheral configuration dialog's values over the header's field table: the working copy
// it edits while open, the settings it reads on OK, and how OK writes them. No widgets here: the
// dialog only moves these values in and out of its controls.
namespace periph {

using header::Field;

// Ranges of the dialog's spin boxes, the shown ranges of their fields; values outside them never
// reach the header.
constexpr int kMachineMin = 1; // SEdit1 (machine n, n + 8)
constexpr int kMachineMax = header::layout(Field::MachineType).count;
constexpr int kPulseMin = header::layout(Field::PulseLength).min; // SEpulsVar1, units of 0.3 s
constexpr int kPulseMax = header::layout(Field::PulseLength).max;
constexpr int kPointDelayMax = header::layout(Field::PointDelay).max; // SEdelayVYH, 0.1 s
constexpr int kRelayDelayMax = header::layout(Field::RelayDelay).max; // SEdelay, seconds
constexpr int kSignalMin = header::layout(Field::Relay15Signal).min;  // SEnavestR14 / R15
constexpr int kSignalMax = header::layout(Field::Relay15Signal).max;
constexpr int kSensorMin = header::layout(Field::Relay15Sensor).min; // SEsenzorR14 / R15
constexpr int kSensorMax = header::layout(Field::Relay15Sensor).max;
constexpr int kRelayMin = 9; // SEreleIND1, relays with occupancy indication
constexpr int kRelayMax = kRelayMin + header::layout(Field::Indicator).count - 1;
constexpr int kDccAddressMin = header::layout(Field::DccAddress).min; // SE_DCCaddr
constexpr int kDccAddressMax = header::layout(Field::DccAddress).max;
constexpr int kModeItems = header::layout(Field::Relay15Mode).max + 1; // RGrele14 / RGrele15
constexpr int kTypeItems = header::layout(Field::MachineType).max + 1; // RGtyp1

// Header bytes the dialog keeps whole in its working copy.
constexpr int kConditionBase = header::layout(Field::Conditions).low.address;
constexpr int kPointMachineBase = header::layout(Field::MachineType).low.address; // 5 + n

// The part of the header the dialog edits control by control while it is open. OK writes the
// low 8 bits of every entry back.
struct WorkingCopy {
    std::array<int, 8> pointMachines{}; // [n - 1]: header byte 5 + n (machines n and n + 8)
    std::array<int, 16> conditions{};   // [k]: header byte 32 + k
};

void loadPointMachines(WorkingCopy& copy, const Image& img);
void loadConditions(WorkingCopy& copy, const Image& img);

// A point-machine entry: type in the low nibble, pulse length in the high nibble.
int typeItem(int entry);         // the RGtyp1 item showing the entry's type (codes above 3: last)
int shownPulseLength(int entry); // SEpulsVar1 for the entry, kept inside the box's range
int withType(int entry, int item);
int withPulseLength(int entry, int pulse);

// The four condition entries of relay 9..12 in the order local sensors, local detectors,
// remote sensors, remote detectors; bit j - 1 stands for input j. Any other relay has none.
std::array<int, 4> relayConditions(const WorkingCopy& copy, int relay);
void setRelayConditions(WorkingCopy& copy, int relay, const std::array<int, 4>& masks);

// Point-machine delay: stored in units of 0.16 s (4 bits), shown in tenths of a second. Each
// of the 16 codes shows as a number of its own, and that number stores the same code again.
int pointDelayShown(int byte5);
int pointDelayCode(int shown); // the nearest code; 25 keeps the longest, 15
// What a typed delay shows once stored: the module holds only the 16 shown values.
int pointDelayHeld(int typed);
// The delay `steps` held values away from `shown` (the box's arrows), kept inside the range.
int pointDelayStep(int shown, int steps);
// Relay switching delay: stored in half seconds, shown in whole seconds.
int relayDelayShown(int byte3);
int relayDelayCode(int seconds);
// Relay 15/16 mode: two stored bits, three radio items.
int relayModeItem(int code);
int relayModeCode(int item); // no item chosen counts as mode 0
int signalShown(int byte);   // bytes 2 and 18
int sensorShown(int byte);   // bytes 1 and 17 hold the sensor number minus 1
// The DCC starting address is stored plus 3 in byte 14 and bits 0..2 of byte 15.
int dccAddressShown(int byte14, int byte15);
std::pair<std::uint8_t, std::uint8_t> dccBytes(int address, bool accept, bool routeReset);

// Every control that is read only when OK is pressed.
struct HeaderSettings {
    int pointDelay = 2;                // SEdelayVYH
    int relayDelay = 1;                // SEdelay
    bool collisionGuard = false;       // CBdccMode
    int relay15Mode = 0;               // RGrele14 item
    int relay15Signal = 1;             // SEnavestR14
    int relay15Sensor = 1;             // SEsenzorR14
    int relay16Mode = 0;               // RGrele15 item
    int relay16Signal = 1;             // SEnavestR15
    int relay16Sensor = 1;             // SEsenzorR15
    bool invertDetectors1 = false;     // CBinverzeDET
    bool sensorsForDetectors1 = false; // CBdetekceSN
    bool invertDetectors2 = false;     // CBinverzeDET2
    bool sensorsForDetectors2 = false; // CBdetekceSN2
    std::array<bool, 4> indicator{};   // CBrele9..CBrele12
    int dccAddress = 1;                // SE_DCCaddr
    bool dccAccept = false;            // CB_DCCenaGLOB
    bool dccRouteReset = false;        // CB_DCCrstENA

    bool operator==(const HeaderSettings& o) const;
    bool operator!=(const HeaderSettings& o) const { return !(*this == o); }
};

// The settings as the dialog shows them for this header (inside every control's range).
HeaderSettings settingsFromHeader(const Image& img);

// Writes the working copy (bytes 6..13 and 32..47) and every setting that differs from
// `loaded`, the settings the dialog showed when it was opened; a setting the user left as it
// was keeps its stored bits, even where the control cannot show them exactly (a code above
// the box's range, an odd number of half seconds, a mode of 3, bits without meaning). No other
// byte of the image changes. Values outside the controls' ranges are pulled into them first.
void writeHeader(Image& img, const WorkingCopy& copy, const HeaderSettings& settings,
                 const HeaderSettings& loaded);

} // namespace periph
