#pragma once
// Which computers a message goes to, read off the network tree: a computer
// node is its own computer; a group node is every computer below it in tree
// order; everybody is every computer node of the tree.
#include "presence/networktree.h"

#include <QList>
#include <QStringList>

namespace corvane {

// One computer a message goes to, with the alias its node shows.
struct SendTarget {
    QString computer;
    QString alias;
};

QList<SendTarget> TargetsOf(const NetworkTree::Node* chosen);
QList<SendTarget> AllTargets(const NetworkTree& tree);
QStringList ComputersOf(const QList<SendTarget>& targets);

} // namespace corvane
