// The reader of Groups.IMG on any bytes, for the nodes of a Groups.DAT made of
// the same input: the first byte says where the DAT part ends. Every node
// gets a kind from some record or none; and records written for any nodes
// give each node its own kind back.
#include "addressbook/groupsfiles.h"

#include <QSet>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArrayView input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype cut = input.size() * data[0] / 256;
    GroupsList entries = ReadGroupsDat(input.first(cut)).entries;
    const QByteArrayView img = input.sliced(cut);

    QSet<int> images{0};
    for (qsizetype at = 0; at + GroupsImgRecordSize <= img.size(); at += GroupsImgRecordSize) {
        const auto* p = reinterpret_cast<const uint8_t*>(img.data() + at + 32);
        images.insert(int(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                          uint32_t(p[3]) << 24));
    }
    ReadGroupsImg(entries, img);
    for (const GroupsEntry& e : entries)
        if (!images.contains(e.image))
            std::abort();

    GroupsList kinds = entries;
    for (qsizetype i = 0; i < kinds.size(); ++i)
        kinds[i].image = int(i % 7) - 1;
    GroupsList back = kinds;
    for (GroupsEntry& e : back)
        e.image = 99;
    ReadGroupsImg(back, WriteGroupsImg(kinds));
    if (back != kinds)
        std::abort();
    return 0;
}
