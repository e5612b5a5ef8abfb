#pragma once

namespace corvane {

// The two message stores, each on a page of its own.
enum class StoreKind { Incoming, Outgoing };

} // namespace corvane
