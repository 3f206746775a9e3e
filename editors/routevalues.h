#pragma once

#include "data/image.h"
#include "data/routerecord.h"

#include <QString>

#include <array>
#include <cstdint>

// What the route editor's controls hold, as plain values: spin box values, check box states,
// the chosen index of each list and radio group (-1 = nothing chosen) and the description.
// Loading a route into these values and writing them back are kept here so that both can be
// checked without opening a window.
struct RouteEditValues {
    // Tab "Sekvence tlačítek / kontrola"
    int fromButton = 0;                // SEtlac1, 0..22
    int toButton = 0;                  // SEtlac2, 0..22
    int track = 0;                     // SEkolej, 0..15
    bool trainRoute = false;           // ChBcestaENA
    bool shuntingRoute = false;        // ChBposunENA
    bool unsecuredShunting = false;    // CBzabPosun
    bool entry = false;                // CBvjezd
    bool dccEnabled = false;           // Cb_DCCena
    bool testBlocked = false;          // ChBzakazENA
    bool cancelButton1 = false;        // CBtlRST1
    bool cancelButton2 = false;        // CBtlRST2
    QString description;               // TXTnazev1
    std::uint16_t localDetectors = 0;  // CBdet1..16, bit k-1 = box k
    std::uint16_t remoteDetectors = 0; // CBdetR1..16

    // Tab "Poloha vyhýbek / relé"
    std::array<int, 16> points{}; // RGvyh1..16: 0 "NIC", 1 "ROVNĚ", 2 "ODBOČ"
    std::uint16_t relays = 0;     // CBrele1..16
    std::uint16_t extRelays = 0;  // CBrele17..32

    // Tab "Signalizace návěstí"; index 0..2 stands for N1..N3.
    std::array<int, 3> signal{};                // SEnav1..3, 0..22
    std::array<int, 3> aspectIndex{-1, -1, -1}; // CBox1navest..CBox3navest, -1..2
    std::array<bool, 3> repeat{};    // CBopakNav1 (following), CBopakNav2 (N1), CBopakNav3 (N2)
    int following = -1;              // CBox1navestREM, -1..46
    bool autoCancelSignal = false;   // CheBsnNVena
    bool autoCancelRoute = false;    // CheBsnCESena
    bool autoCancelShunting = false; // CBsnPOSUNena
    int signalCancelInput = -1;      // CBsenzNV, -1..63
    int routeCancelInput = -1;       // CBsenzCES, -1..63

    bool operator==(const RouteEditValues& o) const;
    bool operator!=(const RouteEditValues& o) const { return !(*this == o); }
};

namespace routeedit {
constexpr int kMaxButton = 22;
constexpr int kMaxSignal = 22;
constexpr int kMaxTrack = 15;
constexpr int kDescriptionLimit = 45; // what the user may type; loaded text may be longer
constexpr int kCancelInputCount = 64;

// Relays R15 and R16 belong to the routes only while the header gives them no task of their
// own (mode 0). Both modes are kept in one header byte, image byte 3; `relayModes` is that byte.
std::uint8_t relayModes(const Image& img);
bool relay15InRoutes(std::uint8_t relayModes);
bool relay16InRoutes(std::uint8_t relayModes);

// N1 may repeat the following signal only when N1 exists and the following signal is a real
// signal, not nothing and not one of the "vždy ..." entries.
bool canRepeatFollowing(int signal1, int followingIndex);

// The controls as the editor shows route `r`; `relayModes` is image byte 3. Values a control
// cannot show are brought into its range (numbers clamped, a point position above 2 shown as
// "ODBOČ", an index outside its list shown as nothing chosen).
RouteEditValues fromRoute(const RouteRecord& r, std::uint8_t relayModes);

// Writes the controls into `r` the way the OK button stores an accepted route. Every field of
// the record is rewritten; the masks are rebuilt from nothing.
void toRoute(const RouteEditValues& v, RouteRecord& r);
} // namespace routeedit
