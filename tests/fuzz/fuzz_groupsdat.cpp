// The reader of Groups.DAT on any bytes. What it reads is a well-formed tree
// within the bounds, which the book takes as it is, and which writes out and
// reads back with the same shape.
#include "addressbook/addressbook.h"
#include "addressbook/groupsfiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

namespace {
QList<int> Depths(const GroupsList& entries) {
    QList<int> out;
    for (const GroupsEntry& e : entries)
        out << e.depth;
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const GroupsDatReading reading = ReadGroupsDat(bytes);
    const GroupsList& entries = reading.entries;
    if (entries.size() > AddressBook::MaxNodes)
        std::abort();
    int previous = -1;
    for (const GroupsEntry& e : entries) {
        if (e.depth < 0 || e.depth > previous + 1 || e.depth > AddressBook::MaxDepth)
            std::abort();
        previous = e.depth;
    }
    AddressBook book;
    book.Assign(entries);
    if (book.Entries() != entries || book.NodeCount() != entries.size())
        std::abort();
    const GroupsDatReading again = ReadGroupsDat(WriteGroupsDat(entries));
    if (!again.error.isEmpty() || Depths(again.entries) != Depths(entries))
        std::abort();
    return 0;
}
