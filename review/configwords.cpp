#include "review/configwords.h"

#include "data/headerfields.h"
#include "data/headerlabels.h"
#include "data/routecommands.h"
#include "data/routelabels.h"
#include "data/valuelists.h"

namespace configwords {
namespace pt = headerlabels;
namespace rt = routelabels;
using HeaderField = header::Field;

namespace {
using elementnames::Kind;

// A value an image can hold but no list entry names is shown by its number.
QString listText(const QStringList& list, int index, int first = 0) {
    if (index < first)
        return QStringLiteral("nevybráno");
    const int i = index - first;
    return i < list.size() ? list.at(i) : QStringLiteral("kód %1").arg(index);
}

QString numbered(const QString& prefix, quint32 mask, int offset = 0) {
    QStringList names;
    for (int k = 0; k < 32; ++k)
        if (mask & (1u << k))
            names << prefix + QString::number(k + 1 + offset);
    return names.isEmpty() ? QStringLiteral("žádné") : names.join(QStringLiteral(", "));
}

// The elements of `mask` by their codes, each with its name.
QStringList namedItems(Kind kind, quint32 mask, const ElementNames& names, int offset = 0) {
    QStringList items;
    for (int k = 0; k < 32; ++k)
        if (mask & (1u << k)) {
            const int number = k + 1 + offset;
            items << names.withName(elementnames::code(kind, number), kind, number);
        }
    return items;
}

QString namedList(Kind kind, quint32 mask, const ElementNames& names, int offset = 0) {
    const QStringList items = namedItems(kind, mask, names, offset);
    return items.isEmpty() ? QStringLiteral("žádné") : items.join(QStringLiteral(", "));
}

quint32 allRelays(const RouteRecord& r) {
    return (quint32(r.relays) & 0xFFFF) | (quint32(r.extRelays & 0xFFFF) << 16);
}

QString pointText(int position) {
    switch (position) {
    case 0:
        return rt::kPointNothing;
    case 1:
        return rt::kPointStraight;
    case 2:
        return rt::kPointDiverging;
    default:
        return QStringLiteral("kód %1").arg(position);
    }
}

QString aspectText(int code) {
    return code == 0 ? QStringLiteral("žádný") : listText(valuelists::aspects(), code, 1);
}

// Labels of the editors end in a colon or a line break where they stand beside controls.
QString label(const QString& text) {
    QString s = text;
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (s.endsWith(QLatin1Char(':')))
        s.chop(1);
    return s.trimmed();
}
} // namespace

QString yesNo(bool on) {
    return on ? QStringLiteral("ano") : QStringLiteral("ne");
}

QString routeItem(int n) {
    return QStringLiteral("cesta %1").arg(n);
}

bool isActive(const RouteRecord& r) {
    return routeActive(r);
}

QString relayModeText(int relay, const Image& img) {
    const QStringList& modes = relay == 15 ? pt::kModes15 : pt::kModes16;
    return modes
        .at(header::shown(img, relay == 15 ? HeaderField::Relay15Mode : HeaderField::Relay16Mode))
        .trimmed();
}

namespace {
// One setting: its label, its value as the editor shows it, and the bits it is kept in.
Field setting(const QString& name, const QString& value, HeaderField f, int index = 0) {
    return {name, value, header::bitsOf(f, index)};
}

Field flagSetting(const QString& name, const Image& img, HeaderField f, int index = 0) {
    return setting(name, yesNo(header::shown(img, f, index)), f, index);
}

Field numberSetting(const QString& name, const Image& img, HeaderField f, int index = 0) {
    return setting(name, QString::number(header::shown(img, f, index)), f, index);
}

void addPointMachines(QList<Field>& f, const Image& img) {
    for (int n = 1; n <= header::layout(HeaderField::MachineType).count; ++n) {
        const QString machine = QStringLiteral("%1 %2 a %3 – ").arg(pt::kMachine).arg(n).arg(n + 8);
        f.append(setting(machine + pt::kType,
                         pt::kTypes.at(header::shown(img, HeaderField::MachineType, n - 1)),
                         HeaderField::MachineType, n - 1));
        f.append(numberSetting(machine + pt::kPulse, img, HeaderField::PulseLength, n - 1));
    }
}

void addRelay(QList<Field>& f, const Image& img, int relay) {
    const bool r15 = relay == 15;
    const QString name = r15 ? pt::kRelay15 : pt::kRelay16;
    const QString part = name + QStringLiteral(" – ");
    f.append(setting(name, relayModeText(relay, img),
                     r15 ? HeaderField::Relay15Mode : HeaderField::Relay16Mode));
    f.append(numberSetting(part + pt::kSignal, img,
                           r15 ? HeaderField::Relay15Signal : HeaderField::Relay16Signal));
    f.append(numberSetting(part + pt::kSensor, img,
                           r15 ? HeaderField::Relay15Sensor : HeaderField::Relay16Sensor));
}

void addIndication(QList<Field>& f, const Image& img) {
    for (int r = 9; r <= 12; ++r) {
        f.append(flagSetting(QStringLiteral("%1 R%2").arg(pt::kIndicators).arg(r), img,
                             HeaderField::Indicator, r - 9));
        for (int g = 0; g < 4; ++g) {
            const int entry = 4 * (r - 9) + g;
            const QString& caption = pt::kConditionCaptions.at(static_cast<std::size_t>(g));
            f.append(setting(QStringLiteral("R%1 %2 %3 %4")
                                 .arg(r)
                                 .arg(pt::kDefinition, pt::kConditionsWord, caption),
                             numbered(caption, header::raw(img, HeaderField::Conditions, entry)),
                             HeaderField::Conditions, entry));
        }
    }
}
} // namespace

QList<Field> headerFields(const Image& img) {
    QList<Field> f;
    addPointMachines(f, img);
    f.append(numberSetting(pt::kPointDelay, img, HeaderField::PointDelay));
    f.append(numberSetting(pt::kRelayDelay, img, HeaderField::RelayDelay));
    f.append(flagSetting(pt::kCollision, img, HeaderField::CollisionGuard));
    addRelay(f, img, 15);
    addRelay(f, img, 16);
    f.append(flagSetting(pt::kInvert1, img, HeaderField::InvertDetectors1));
    f.append(flagSetting(pt::kSensors1, img, HeaderField::SensorsForDetectors1));
    f.append(flagSetting(pt::kInvert2, img, HeaderField::InvertDetectors2));
    f.append(flagSetting(pt::kSensors2, img, HeaderField::SensorsForDetectors2));
    addIndication(f, img);
    f.append(numberSetting(label(pt::kDccAddress), img, HeaderField::DccAddress));
    f.append(flagSetting(pt::kDccAccept, img, HeaderField::DccAccept));
    f.append(flagSetting(pt::kDccReset, img, HeaderField::DccRouteReset));
    return f;
}

QList<Field> routeFields(const RouteRecord& r, const ElementNames& names) {
    QList<Field> f;
    const auto add = [&f](const QString& name, const QString& value) {
        f.append({name, value, {}});
    };
    add(rt::kFrom, names.withName(QString::number(r.fromButton), Kind::Button, r.fromButton));
    add(rt::kTo, names.withName(QString::number(r.toButton), Kind::Button, r.toButton));
    add(rt::kTrainRoute, yesNo(r.trainRoute));
    add(rt::kShunting, yesNo(r.shuntingRoute));
    add(rt::kUnsecuredShunting, yesNo(r.unsecuredShunting));
    add(rt::kTrack, QString::number(r.trackNumber));
    add(rt::kEntry, yesNo(r.entry));
    add(label(rt::kDcc), yesNo(r.dccEnabled));
    add(rt::kTestBlocked, yesNo(r.testBlocked));
    add(rt::kCancelButton1, yesNo(r.cancelButton1));
    add(rt::kCancelButton2, yesNo(r.cancelButton2));
    add(rt::kLocalDetectors, namedList(Kind::Detector, quint32(r.localDetectors), names));
    add(rt::kRemoteDetectors, namedList(Kind::RemoteDetector, quint32(r.remoteDetectors), names));
    for (int k = 0; k < 16; ++k)
        add(names.withName(rt::kPoint + QString::number(k + 1), Kind::Point, k + 1),
            pointText(r.pointPositions[k]));
    add(label(rt::kRelays), namedList(Kind::Relay, quint32(r.relays), names));
    add(label(rt::kRelaysExt), namedList(Kind::Relay, quint32(r.extRelays), names, 16));
    const int signal[] = {r.signal1, r.signal2, r.signal3};
    const int aspect[] = {r.aspect1, r.aspect2, r.aspect3};
    for (int k = 0; k < 3; ++k) {
        const QString name = rt::kSignal + QString::number(k + 1);
        add(name, names.withName(QString::number(signal[k]), Kind::Signal, signal[k]));
        add(name + QStringLiteral(" – ") + rt::kAspectPlaceholder, aspectText(aspect[k]));
    }
    add(label(rt::kFollowingLabel), listText(valuelists::followingSignals(), r.followingSignal));
    add(rt::kRepeatFollowing, yesNo(r.repeatFollowing));
    add(rt::kRepeatN1, yesNo(r.repeatN1));
    add(rt::kRepeatN2, yesNo(r.repeatN2));
    add(rt::kAutoCancelSignal, yesNo(r.autoCancelSignal));
    add(rt::kAutoCancelSignal + QStringLiteral(" – ") + rt::kSensorPlaceholder,
        listText(valuelists::signalCancelInputs(), r.signalCancelSensor));
    add(rt::kAutoCancelRoute, yesNo(r.autoCancelRoute));
    add(rt::kAutoCancelRoute + QStringLiteral(" – ") + rt::kSensorPlaceholder,
        listText(valuelists::routeCancelInputs(), r.routeCancelSensor));
    add(rt::kAutoCancelShunting, yesNo(r.autoCancelShunting));
    add(label(rt::kDescription), r.description);
    return f;
}

namespace {
QString buttonText(int button, const ElementNames& names) {
    return names.withName(QStringLiteral("TL ") + QString::number(button), Kind::Button, button);
}

QString typeAndButtonsLine(const RouteRecord& r, int n, const ElementNames& names) {
    QStringList types;
    if (r.trainRoute)
        types << QStringLiteral("vlaková (dopravní) cesta");
    if (r.shuntingRoute)
        types << (r.unsecuredShunting ? QStringLiteral("nezabezpečený posun")
                                      : QStringLiteral("posun"));
    const QString type =
        types.isEmpty() ? QStringLiteral("bez typu cesty") : types.join(QStringLiteral(" a "));
    if (isActive(r))
        return QStringLiteral("Cesta %1: %2, ODKUD %3 → KAM %4")
            .arg(n)
            .arg(type, buttonText(r.fromButton, names), buttonText(r.toButton, names));
    return QStringLiteral("Cesta %1 není aktivní (ODKUD %2, KAM %3); uchovává:")
        .arg(n)
        .arg(r.fromButton)
        .arg(r.toButton);
}

// Appends `title` and the joined `items` as one line, when there are any.
void addList(QStringList& lines, const QString& title, const QStringList& items) {
    if (!items.isEmpty())
        lines << title + items.join(QStringLiteral(", "));
}

QStringList pointItems(const RouteRecord& r, const ElementNames& names) {
    QStringList points;
    for (int k = 0; k < 16; ++k)
        if (r.pointPositions[k] != 0)
            points << names.withName(QStringLiteral("V%1").arg(k + 1), Kind::Point, k + 1) +
                          QLatin1Char(' ') + pointText(r.pointPositions[k]);
    return points;
}

QStringList signalItems(const RouteRecord& r, const ElementNames& names) {
    QStringList items;
    const int signal[] = {r.signal1, r.signal2, r.signal3};
    const int aspect[] = {r.aspect1, r.aspect2, r.aspect3};
    for (int k = 0; k < 3; ++k)
        if (signal[k] != 0)
            items << QStringLiteral("N%1 = %2 (%3)")
                         .arg(k + 1)
                         .arg(names.withName(QStringLiteral("návěst %1").arg(signal[k]),
                                             Kind::Signal, signal[k]),
                              aspectText(aspect[k]));
    return items;
}

QStringList detectorItems(const RouteRecord& r, const ElementNames& names) {
    return namedItems(Kind::Detector, quint32(r.localDetectors), names) +
           namedItems(Kind::RemoteDetector, quint32(r.remoteDetectors), names);
}

void addPointsAndSignals(QStringList& lines, const RouteRecord& r, const ElementNames& names) {
    addList(lines, QStringLiteral("Výhybky: "), pointItems(r, names));
    addList(lines, QStringLiteral("Návěsti: "), signalItems(r, names));
    if (r.followingSignal >= 0)
        lines << QStringLiteral("Následná návěst: ") +
                     listText(valuelists::followingSignals(), r.followingSignal);
    QStringList repeats;
    if (r.repeatFollowing)
        repeats << rt::kRepeatFollowing;
    if (r.repeatN1)
        repeats << rt::kRepeatN1;
    if (r.repeatN2)
        repeats << rt::kRepeatN2;
    addList(lines, QString(), repeats);
}

void addCancels(QStringList& lines, const RouteRecord& r) {
    QStringList cancels;
    if (r.autoCancelSignal)
        cancels << rt::kAutoCancelSignal + QStringLiteral(" (") +
                       listText(valuelists::signalCancelInputs(), r.signalCancelSensor) +
                       QStringLiteral(")");
    if (r.autoCancelRoute)
        cancels << rt::kAutoCancelRoute + QStringLiteral(" (") +
                       listText(valuelists::routeCancelInputs(), r.routeCancelSensor) +
                       QStringLiteral(")");
    if (r.autoCancelShunting)
        cancels << rt::kAutoCancelShunting;
    if (r.cancelButton1)
        cancels << rt::kCancelButton1;
    if (r.cancelButton2)
        cancels << rt::kCancelButton2;
    addList(lines, QStringLiteral("Rušení: "), cancels);
}
} // namespace

QString describeRoute(const RouteRecord& r, int n, int dccBase, const ElementNames& names) {
    const QString described =
        r.description.isEmpty() ? QString() : QStringLiteral("\nPopis: ") + r.description;
    RouteRecord settings = r;
    settings.description.clear();
    // The defaults of an empty record are nothing the route holds.
    if (settings == emptyRoute())
        return QStringLiteral("Cesta %1 je prázdná.").arg(n) + described;
    QStringList lines{typeAndButtonsLine(r, n, names)};
    if (r.trackNumber != 0)
        lines << QStringLiteral("Kolej %1, %2")
                     .arg(r.trackNumber)
                     .arg(r.entry ? QStringLiteral("vjezd") : QStringLiteral("odjezd"));
    addPointsAndSignals(lines, r, names);
    if (allRelays(r) != 0)
        lines << QStringLiteral("Relé: ") + relaysText(r, names);
    addList(lines, QStringLiteral("Kontrola obsazení: "), detectorItems(r, names));
    addCancels(lines, r);
    if (r.dccEnabled)
        lines << QStringLiteral("DCC: číslo %1").arg(n + dccBase);
    if (r.testBlocked)
        lines << rt::kTestBlocked;
    return lines.join(QLatin1Char('\n')) + described;
}

QString buttonsText(const RouteRecord& r, const ElementNames& names) {
    return buttonText(r.fromButton, names) + QStringLiteral(" → ") + buttonText(r.toButton, names);
}

QString pointsText(const RouteRecord& r, const ElementNames& names) {
    return pointItems(r, names).join(QStringLiteral(", "));
}

QString signalsText(const RouteRecord& r, const ElementNames& names) {
    return signalItems(r, names).join(QStringLiteral(", "));
}

QString relaysText(const RouteRecord& r, const ElementNames& names) {
    return namedItems(Kind::Relay, allRelays(r), names).join(QStringLiteral(", "));
}

QString detectorsText(const RouteRecord& r, const ElementNames& names) {
    return detectorItems(r, names).join(QStringLiteral(", "));
}

} // namespace configwords
