#pragma once
// The table of control words the reader knows: each name maps to the handler
// that does what the word means. Each part of the reader adds its own words
// (Parser::Add...Words); unknown words are not in the table and are ignored.
//
// A destination word opens a destination of its own (\fonttbl, \pn, \pict)
// and may be marked with \*; any other word after \* makes the group skipped,
// since the writer says the group is one the reader need not know.
#include "editor/rtfstate.h"

#include <QtGlobal>

#include <string_view>
#include <unordered_map>

namespace corvane::rtf {

class Parser;

// What a handler is given: the group the word appeared in and its parameter.
struct WordCall {
    Group& g;
    bool hasParam;
    int param; // 0 when there is none
    // A toggle such as \b is on without a parameter or with one that is not 0.
    bool On() const { return !hasParam || param != 0; }
};

using WordHandler = void (*)(Parser&, const WordCall&);

class ControlWords {
public:
    struct Entry {
        WordHandler handle;
        bool destination;
    };

    // A name is added once.
    void Add(std::string_view name, WordHandler handle) { Insert(name, {handle, false}); }
    void AddDestination(std::string_view name, WordHandler handle) { Insert(name, {handle, true}); }
    const Entry* Find(std::string_view name) const {
        auto it = words_.find(name);
        return it == words_.end() ? nullptr : &it->second;
    }

private:
    void Insert(std::string_view name, const Entry& entry) {
        [[maybe_unused]] const bool added = words_.emplace(name, entry).second;
        Q_ASSERT(added);
    }

    std::unordered_map<std::string_view, Entry> words_;
};

} // namespace corvane::rtf
