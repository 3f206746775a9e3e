#include "review/configwords.h"

#include "data/routecommands.h"
#include "data/valuelists.h"
#include "editors/headerconversion.h"
#include "editors/peripheraleditortexts.h"
#include "editors/routeeditortexts.h"

namespace configwords {
namespace pt = peripheraltexts;
namespace rt = routeeditortexts;

namespace {
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
    const int shift = relay == 15 ? 4 : 6;
    return modes.at(periph::relayModeItem(img[3] >> shift)).trimmed();
}

QList<Field> headerFields(const Image& img) {
    const periph::HeaderSettings s = periph::settingsFromHeader(img);
    QList<Field> f;
    for (int n = 1; n <= 8; ++n) {
        const int entry = img[static_cast<std::size_t>(5 + n)];
        const QString machine = QStringLiteral("%1 %2 a %3 – ").arg(pt::kMachine).arg(n).arg(n + 8);
        f.append({machine + pt::kType, pt::kTypes.at(periph::typeItem(entry)), {{5 + n, 0x0F}}});
        f.append({machine + pt::kPulse,
                  QString::number(periph::shownPulseLength(entry)),
                  {{5 + n, 0xF0}}});
    }
    f.append({pt::kPointDelay, QString::number(s.pointDelay), {{5, 0x0F}}});
    f.append({pt::kRelayDelay, QString::number(s.relayDelay), {{3, 0x0F}}});
    f.append({pt::kCollision, yesNo(s.collisionGuard), {{4, 0x01}}});
    const auto relay = [&](int r, int modeMask, int signalByte, int sensorByte, int signal,
                           int sensor) {
        const QString name = r == 15 ? pt::kRelay15 : pt::kRelay16;
        f.append({name, relayModeText(r, img), {{3, modeMask}}});
        f.append({name + QStringLiteral(" – ") + pt::kSignal,
                  QString::number(signal),
                  {{signalByte, 0xFF}}});
        f.append({name + QStringLiteral(" – ") + pt::kSensor,
                  QString::number(sensor),
                  {{sensorByte, 0xFF}}});
    };
    relay(15, 0x30, 18, 17, s.relay15Signal, s.relay15Sensor);
    relay(16, 0xC0, 2, 1, s.relay16Signal, s.relay16Sensor);
    f.append({pt::kInvert1, yesNo(s.invertDetectors1), {{4, 0x02}}});
    f.append({pt::kSensors1, yesNo(s.sensorsForDetectors1), {{4, 0x04}}});
    f.append({pt::kInvert2, yesNo(s.invertDetectors2), {{4, 0x10}}});
    f.append({pt::kSensors2, yesNo(s.sensorsForDetectors2), {{4, 0x20}}});
    for (int r = 9; r <= 12; ++r) {
        const int mask = 0x10 << (r - 9);
        f.append({QStringLiteral("%1 R%2").arg(pt::kIndicators).arg(r),
                  yesNo(img[5] & mask),
                  {{5, mask}}});
        for (int g = 0; g < 4; ++g) {
            const int address = periph::kConditionBase + 4 * (r - 9) + g;
            const QString& caption = pt::kConditionCaptions.at(static_cast<std::size_t>(g));
            f.append({QStringLiteral("R%1 %2 %3 %4")
                          .arg(r)
                          .arg(pt::kDefinition, pt::kConditionsWord, caption),
                      numbered(caption, img[static_cast<std::size_t>(address)]),
                      {{address, 0xFF}}});
        }
    }
    f.append({label(pt::kDccAddress), QString::number(s.dccAddress), {{14, 0xFF}, {15, 0x07}}});
    f.append({pt::kDccAccept, yesNo(s.dccAccept), {{15, 0x80}}});
    f.append({pt::kDccReset, yesNo(s.dccRouteReset), {{15, 0x40}}});
    return f;
}

QList<Field> routeFields(const RouteRecord& r) {
    QList<Field> f;
    const auto add = [&f](const QString& name, const QString& value) {
        f.append({name, value, {}});
    };
    add(rt::kFrom, QString::number(r.fromButton));
    add(rt::kTo, QString::number(r.toButton));
    add(rt::kTrainRoute, yesNo(r.trainRoute));
    add(rt::kShunting, yesNo(r.shuntingRoute));
    add(rt::kUnsecuredShunting, yesNo(r.unsecuredShunting));
    add(rt::kTrack, QString::number(r.trackNumber));
    add(rt::kEntry, yesNo(r.entry));
    add(label(rt::kDcc), yesNo(r.dccEnabled));
    add(rt::kTestBlocked, yesNo(r.testBlocked));
    add(rt::kCancelButton1, yesNo(r.cancelButton1));
    add(rt::kCancelButton2, yesNo(r.cancelButton2));
    add(rt::kLocalDetectors, numbered(QStringLiteral("D"), r.localDetectors));
    add(rt::kRemoteDetectors, numbered(QStringLiteral("rD"), r.remoteDetectors));
    for (int k = 0; k < 16; ++k)
        add(rt::kPoint + QString::number(k + 1), pointText(r.pointPositions[k]));
    add(label(rt::kRelays), numbered(QStringLiteral("R"), r.relays));
    add(label(rt::kRelaysExt), numbered(QStringLiteral("R"), r.extRelays, 16));
    const int signal[] = {r.signal1, r.signal2, r.signal3};
    const int aspect[] = {r.aspect1, r.aspect2, r.aspect3};
    for (int k = 0; k < 3; ++k) {
        const QString name = rt::kSignal + QString::number(k + 1);
        add(name, QString::number(signal[k]));
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
QString typeAndButtonsLine(const RouteRecord& r, int n) {
    QStringList types;
    if (r.trainRoute)
        types << QStringLiteral("vlaková (dopravní) cesta");
    if (r.shuntingRoute)
        types << (r.unsecuredShunting ? QStringLiteral("nezabezpečený posun")
                                      : QStringLiteral("posun"));
    const QString type =
        types.isEmpty() ? QStringLiteral("bez typu cesty") : types.join(QStringLiteral(" a "));
    if (isActive(r))
        return QStringLiteral("Cesta %1: %2, ODKUD TL %3 → KAM TL %4")
            .arg(n)
            .arg(type)
            .arg(r.fromButton)
            .arg(r.toButton);
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

void addPointsAndSignals(QStringList& lines, const RouteRecord& r) {
    QStringList points;
    for (int k = 0; k < 16; ++k)
        if (r.pointPositions[k] != 0)
            points << QStringLiteral("V%1 %2").arg(k + 1).arg(pointText(r.pointPositions[k]));
    addList(lines, QStringLiteral("Výhybky: "), points);
    QStringList signalTexts;
    const int signal[] = {r.signal1, r.signal2, r.signal3};
    const int aspect[] = {r.aspect1, r.aspect2, r.aspect3};
    for (int k = 0; k < 3; ++k)
        if (signal[k] != 0)
            signalTexts << QStringLiteral("N%1 = návěst %2 (%3)")
                               .arg(k + 1)
                               .arg(signal[k])
                               .arg(aspectText(aspect[k]));
    addList(lines, QStringLiteral("Návěsti: "), signalTexts);
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

void addRelaysAndDetectors(QStringList& lines, const RouteRecord& r) {
    if (r.relays != 0 || r.extRelays != 0)
        lines << QStringLiteral("Relé: ") +
                     numbered(QStringLiteral("R"),
                              (quint32(r.relays) & 0xFFFF) | (quint32(r.extRelays) << 16));
    QStringList d;
    if (r.localDetectors != 0)
        d << numbered(QStringLiteral("D"), r.localDetectors);
    if (r.remoteDetectors != 0)
        d << numbered(QStringLiteral("rD"), r.remoteDetectors);
    addList(lines, QStringLiteral("Kontrola obsazení: "), d);
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

QString describeRoute(const RouteRecord& r, int n, int dccBase) {
    const QString described =
        r.description.isEmpty() ? QString() : QStringLiteral("\nPopis: ") + r.description;
    RouteRecord settings = r;
    settings.description.clear();
    // The defaults of an empty record are nothing the route holds.
    if (settings == emptyRoute())
        return QStringLiteral("Cesta %1 je prázdná.").arg(n) + described;
    QStringList lines{typeAndButtonsLine(r, n)};
    if (r.trackNumber != 0)
        lines << QStringLiteral("Kolej %1, %2")
                     .arg(r.trackNumber)
                     .arg(r.entry ? QStringLiteral("vjezd") : QStringLiteral("odjezd"));
    addPointsAndSignals(lines, r);
    addRelaysAndDetectors(lines, r);
    addCancels(lines, r);
    if (r.dccEnabled)
        lines << QStringLiteral("DCC: číslo %1").arg(n + dccBase);
    if (r.testBlocked)
        lines << rt::kTestBlocked;
    return lines.join(QLatin1Char('\n')) + described;
}

} // namespace configwords
