#pragma once
// The table of control words the reader knows: each name maps to the handler
// that does what the word means. Each part of the reader adds its own words
// (Parser::Add...Words); unknown words are not in the table and are ignored.
//
// A destination word opens a destination of its own (\fonttbl, \pn, \pict)
// and may be marked with \*; any other word after \* makes the group skipped,
// since the writer says the group is one the reader need not know.
#include "editor/rtfstate.h"

#include <algorithm>
#include <string_view>
#include <vector>

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
        std::string_view name;
        WordHandler handle;
        bool destination;
    };

    void Add(std::string_view name, WordHandler handle) { words_.push_back({name, handle, false}); }
    void AddDestination(std::string_view name, WordHandler handle) {
        words_.push_back({name, handle, true});
    }
    // Makes the table ready for Find, once every word was added.
    void Seal() {
        std::sort(words_.begin(), words_.end(),
                  [](const Entry& a, const Entry& b) { return a.name < b.name; });
    }
    const Entry* Find(std::string_view name) const {
        auto it = std::lower_bound(words_.begin(), words_.end(), name,
                                   [](const Entry& w, std::string_view n) { return w.name < n; });
        if (it == words_.end() || it->name != name)
            return nullptr;
        return &*it;
    }

private:
    std::vector<Entry> words_;
};

} // namespace corvane::rtf
