#pragma once
// Which computers a message goes to, read off the network tree: a computer
// node is its own computer; a group node is every computer below it in tree
// order; everybody is every computer node of the tree.
#include "presence/networktree.h"

#include <QStringList>

namespace corvane {

QStringList ComputersOf(const NetworkTree::Node* chosen);
QStringList AllComputers(const NetworkTree& tree);

} // namespace corvane
