#include "messaging/recipients.h"

namespace corvane {

QStringList ComputersOf(const NetworkTree::Node* chosen) {
    QStringList out;
    if (!chosen)
        return out;
    if (const ComputerRecord* record = chosen->Record()) {
        out.append(record->ComputerName);
        return out;
    }
    for (const auto& child : chosen->Children())
        if (const ComputerRecord* record = child->Record())
            out.append(record->ComputerName);
    return out;
}

QStringList AllComputers(const NetworkTree& tree) {
    QStringList out;
    for (const NetworkTree::Node* node : tree.ComputerNodes())
        out.append(node->Record()->ComputerName);
    return out;
}

} // namespace corvane
