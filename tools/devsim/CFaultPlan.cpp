#include "CFaultPlan.h"

#include <QRegularExpression>

namespace {

struct KindName {
    const char* name;
    CFaultPlan::Kind kind;
    bool needsValue;
};

constexpr KindName kKinds[] = {
    {"silence", CFaultPlan::Kind::Silence, false},     {"delay", CFaultPlan::Kind::Delay, true},
    {"txid", CFaultPlan::Kind::TransactionId, false},  {"exception", CFaultPlan::Kind::Exception, true},
    {"short", CFaultPlan::Kind::Short, false},         {"badcrc", CFaultPlan::Kind::BadCrc, false},
    {"split", CFaultPlan::Kind::Split, false},         {"close", CFaultPlan::Kind::Close, false},
    {"garbage", CFaultPlan::Kind::Garbage, false},     {"otherpc", CFaultPlan::Kind::OtherPc, false},
    {"oversize", CFaultPlan::Kind::Oversize, false},
};

constexpr std::uint32_t kDefaultSplitGap = 20;

} // namespace

std::optional<CFaultPlan::Fault> CFaultPlan::Parse(const QString& text, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<Fault> {
        if (error)
            *error = QStringLiteral("--fault %1: %2").arg(text, why);
        return std::nullopt;
    };
    QString body = text.trimmed();
    Fault fault{Kind::Silence};
    const auto marker = body.indexOf(QRegularExpression(QStringLiteral("[@%]")));
    if (marker >= 0) {
        bool ok = false;
        const std::uint64_t n = body.mid(marker + 1).toULongLong(&ok);
        if (!ok || n == 0)
            return fail(QStringLiteral("expected a request number of 1 or more after '%1'").arg(body[marker]));
        (body[marker] == u'@' ? fault.number : fault.every) = n;
        body.truncate(marker);
    }
    const QString name = body.section(u':', 0, 0);
    const QString value = body.section(u':', 1);
    const KindName* kind = nullptr;
    for (const KindName& candidate : kKinds)
        if (name == QLatin1String(candidate.name))
            kind = &candidate;
    if (!kind)
        return fail(QStringLiteral("unknown kind '%1'").arg(name));
    fault.kind = kind->kind;
    if (!value.isEmpty()) {
        bool ok = false;
        fault.value = value.toUInt(&ok);
        if (!ok)
            return fail(QStringLiteral("'%1' is not a number").arg(value));
        if (fault.kind == Kind::Exception && (fault.value < 1 || fault.value > 255))
            return fail(QStringLiteral("an exception code is 1 to 255"));
    } else if (kind->needsValue) {
        return fail(QStringLiteral("'%1' needs a value, as in %1:5").arg(name));
    } else if (fault.kind == Kind::Split) {
        fault.value = kDefaultSplitGap;
    }
    return fault;
}

CFaultPlan::Effects CFaultPlan::NextRequest()
{
    const std::uint64_t request = ++m_requests;
    Effects effects;
    for (const Fault& fault : m_faults) {
        const bool hits = fault.number ? request == fault.number : fault.every ? request % fault.every == 0 : true;
        if (!hits)
            continue;
        switch (fault.kind) {
        case Kind::Silence: effects.silence = true; break;
        case Kind::Delay: effects.delay += std::chrono::milliseconds(fault.value); break;
        case Kind::TransactionId: effects.wrongTransactionId = true; break;
        case Kind::Exception: effects.exception = static_cast<std::uint8_t>(fault.value); break;
        case Kind::Short: effects.shortAnswer = true; break;
        case Kind::BadCrc: effects.badCrc = true; break;
        case Kind::Split: effects.split = std::chrono::milliseconds(fault.value); break;
        case Kind::Close: effects.close = true; break;
        case Kind::Garbage: effects.garbage = true; break;
        case Kind::OtherPc: effects.otherPc = true; break;
        case Kind::Oversize: effects.oversize = true; break;
        }
    }
    return effects;
}
