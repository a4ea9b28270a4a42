// The checks a work file passes before anything of it is read: a work file is a document people
// mail to each other, so it is input from strangers.
#pragma once

#include "db/engine.h"

namespace zek::work {

// Throws db::EngineError (ErrNotADatabase, the reason in its description) when the open file is
// damaged, holds a trigger, a view or a virtual table, or one of the program's tables with fields
// other than the program gives it. Tables of other names are the user's own data and pass.
// `shownName` is the file named in the reason.
void checkWorkFileLayout(db::Database& database, const QString& shownName);

} // namespace zek::work
