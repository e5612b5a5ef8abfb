#pragma once
// Answers to requests from the network. An answer goes to the address the
// request came from and nowhere else, and only when the computer the request
// names is that source; so no datagram can make this computer send to a
// broadcast, to "*" or to a third computer. The requester is the source when
// the request names
//   - a literal address equal to the source,
//   - a name whose learned address is the source,
//   - a name not learned yet whose look-up gives the source (the answer goes
//     when the look-up returns; the resolver bounds look-ups),
//   - this computer itself: the answer goes to this computer only (".").
// Every answer is paid from the source's budget (answerbudget.h): a single
// answer from its byte credit, a list answer as a whole list.
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace corvane {

class DatagramNetwork;
class HostContext;

class SourceAnswer : public QObject {
    Q_OBJECT
public:
    enum class Verdict { Source, Self, NotSource, LookUp };
    // Builds a list answer's texts, one per entry.
    using ListBuilder = std::function<QList<QByteArray>()>;

    explicit SourceAnswer(DatagramNetwork& network, QObject* parent = nullptr);

    // Whether named stands for the source, as far as is known without a look-up.
    static Verdict Check(HostContext& context, const QString& named, const QHostAddress& source);

    // Frames the texts (prefixes taken when they are sent) and writes them to
    // slot on the source, if and when named is the source and the budget
    // allows; paid from the source's byte credit. Returns the verdict of Check.
    Verdict Answer(const QString& named, const QHostAddress& source, const QString& slot,
                   const QList<QByteArray>& texts);
    // The same for a whole list of entries texts, paid as one list: build
    // runs only if and when the list goes.
    Verdict AnswerList(const QString& named, const QHostAddress& source, const QString& slot,
                       qsizetype entries, ListBuilder build);

private:
    // Runs send (told whether the answer goes to this computer itself) if
    // and when named is the source.
    Verdict Decide(const QString& named, const QHostAddress& source,
                   std::function<void(bool self)> send);
    void Write(const QString& named, const QHostAddress& source, const QString& slot,
               const QList<QByteArray>& texts, bool self);

    DatagramNetwork& network_;
};

} // namespace corvane
