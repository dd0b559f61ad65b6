#pragma once

#include <QString>

namespace Batch {

// Every step a process list can hold, as the step registry declares it: its
// names, its list type, a one-line summary, and each parameter with its list
// name, kind, unit, range, default and when it applies. Nothing here is
// written by hand, so the listing follows the registry.

// The text of torvane-batch --list-steps.
QString stepListing();
// The same as Markdown: the text of docs/STEPS.md.
QString stepListingMarkdown();

// The command that writes docs/STEPS.md, for the file's header and the test that compares them.
extern const char *const StepsDocumentCommand;

} // namespace Batch
