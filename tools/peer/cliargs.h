#pragma once
// A small option parser shared by the command-line tools: long options only
// ("--name VALUE", "--name=VALUE", flags "--name"), "-h" for "--help", and
// "--" to end the options so that a positional argument may start with "-".
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace corvane::cli {

struct OptionSpec {
    QString name;      // without the leading "--"
    QString valueName; // empty for a flag
    QString help;
    bool repeatable = false;
};

class Args {
public:
    // False with a message for people in *error when an option is unknown,
    // lacks its value, or is given twice without being repeatable.
    bool Parse(const QStringList& args, const QList<OptionSpec>& specs, QString* error);

    bool Has(const QString& name) const { return values_.contains(name); }
    QString Value(const QString& name, const QString& fallback = {}) const;
    QStringList Values(const QString& name) const { return values_.value(name); }
    const QStringList& Positional() const { return positional_; }

    // Reads an integer option in [min, max]; false with a message when the
    // value is not such a number. Leaves *out alone when the option is absent.
    bool Int(const QString& name, qint64 min, qint64 max, qint64* out, QString* error) const;
    // Reads seconds (may have a fraction) as milliseconds, at least 1.
    bool Seconds(const QString& name, qint64* outMs, QString* error) const;

private:
    QMap<QString, QStringList> values_;
    QStringList positional_;
};

// The options block of a help text, one option per line, aligned.
QString OptionsHelp(const QList<OptionSpec>& specs);

} // namespace corvane::cli
