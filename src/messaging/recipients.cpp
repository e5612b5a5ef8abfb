#include "messaging/recipients.h"

namespace corvane {

namespace {
SendTarget TargetOf(const NetworkTree::Node& node) {
    return {node.Record()->ComputerName, node.Text()};
}
} // namespace

QList<SendTarget> TargetsOf(const NetworkTree::Node* chosen) {
    QList<SendTarget> out;
    if (!chosen)
        return out;
    if (chosen->IsComputer()) {
        out.append(TargetOf(*chosen));
        return out;
    }
    for (const auto& child : chosen->Children())
        if (child->IsComputer())
            out.append(TargetOf(*child));
    return out;
}

QList<SendTarget> AllTargets(const NetworkTree& tree) {
    QList<SendTarget> out;
    for (const NetworkTree::Node* node : tree.ComputerNodes())
        out.append(TargetOf(*node));
    return out;
}

QStringList ComputersOf(const QList<SendTarget>& targets) {
    QStringList out;
    for (const SendTarget& t : targets)
        out.append(t.computer);
    return out;
}

} // namespace corvane
