// The reference of every input key of a record, as Markdown, from the field
// table: what docs/record.md holds, so that the manual says what the program
// takes and cannot drift from it.
#pragma once

#include <string>

std::string RecordReferenceMarkdown();
