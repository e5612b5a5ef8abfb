#pragma once
#include "common/hostcontext.h"

namespace corvane {

// Fills a context from this computer: its name, all IPv4 addresses, the
// user's config folder (named after the executable), the working folder, the
// data folder (sounds).
void FillSystemContext(HostContext& context, const QString& executablePath);

} // namespace corvane
