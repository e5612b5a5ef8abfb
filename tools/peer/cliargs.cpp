#include "cliargs.h"

#include <cmath>

namespace corvane::cli {

bool Args::Parse(const QStringList& args, const QList<OptionSpec>& specs, QString* error) {
    values_.clear();
    positional_.clear();
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || arg == QLatin1String("-") || !arg.startsWith(QLatin1Char('-'))) {
            positional_.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name;
        QString value;
        bool inlineValue = false;
        if (arg == QLatin1String("-h")) {
            name = QStringLiteral("help");
        } else if (arg.startsWith(QLatin1String("--"))) {
            name = arg.mid(2);
            const qsizetype eq = name.indexOf(QLatin1Char('='));
            if (eq >= 0) {
                value = name.mid(eq + 1);
                name.truncate(eq);
                inlineValue = true;
            }
        } else {
            *error = QStringLiteral("unknown option '%1' (options start with \"--\")").arg(arg);
            return false;
        }
        const OptionSpec* option = nullptr;
        for (const OptionSpec& s : specs)
            if (s.name == name)
                option = &s;
        if (!option) {
            *error = QStringLiteral("unknown option '--%1'").arg(name);
            return false;
        }
        if (option->valueName.isEmpty()) {
            if (inlineValue) {
                *error = QStringLiteral("option '--%1' takes no value").arg(name);
                return false;
            }
        } else if (!inlineValue) {
            if (i + 1 >= args.size()) {
                *error = QStringLiteral("option '--%1' needs a value (%2)").arg(name, option->valueName);
                return false;
            }
            value = args[++i];
        }
        if (values_.contains(name) && !option->repeatable) {
            *error = QStringLiteral("option '--%1' given more than once").arg(name);
            return false;
        }
        values_[name].append(value);
    }
    return true;
}

QString Args::Value(const QString& name, const QString& fallback) const {
    const auto it = values_.find(name);
    return it == values_.end() || it->isEmpty() ? fallback : it->constLast();
}

bool Args::Int(const QString& name, qint64 min, qint64 max, qint64* out, QString* error) const {
    if (!Has(name))
        return true;
    bool ok = false;
    const qint64 v = Value(name).toLongLong(&ok, 10);
    if (!ok || v < min || v > max) {
        *error = QStringLiteral("option '--%1' needs a whole number from %2 to %3, not '%4'")
                     .arg(name)
                     .arg(min)
                     .arg(max)
                     .arg(Value(name));
        return false;
    }
    *out = v;
    return true;
}

bool Args::Seconds(const QString& name, qint64* outMs, QString* error) const {
    if (!Has(name))
        return true;
    bool ok = false;
    const double s = Value(name).toDouble(&ok);
    if (!ok || !std::isfinite(s) || s <= 0 || s > 86400.0 * 365) {
        *error = QStringLiteral("option '--%1' needs a positive number of seconds, not '%2'")
                     .arg(name, Value(name));
        return false;
    }
    *outMs = std::max<qint64>(1, qint64(std::llround(s * 1000)));
    return true;
}

QString OptionsHelp(const QList<OptionSpec>& specs) {
    QStringList heads;
    qsizetype width = 0;
    for (const OptionSpec& s : specs) {
        QString head = QStringLiteral("  --") + s.name;
        if (!s.valueName.isEmpty())
            head += QLatin1Char(' ') + s.valueName;
        width = std::max(width, head.size());
        heads.append(head);
    }
    QString out;
    for (qsizetype i = 0; i < specs.size(); ++i) {
        out += heads[i].leftJustified(width + 2);
        out += specs[i].help;
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace corvane::cli
