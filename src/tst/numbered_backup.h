// Numbered backups of a file, named as `cp --backup=numbered` names them: "w.tst.~1~", then
// "w.tst.~2~", each a copy of the file as it was, never replacing one that exists.
#ifndef KAVTEST_NUMBERED_BACKUP_H
#define KAVTEST_NUMBERED_BACKUP_H

#include <string>
#include <vector>

/// The number of the backup named `name` of the file named `base` ("w.tst.~12~" of "w.tst":
/// 12); 0 when `name` is no such backup.
long backup_number(const std::string& name, const std::string& base);

/// The name of the next backup of the file named `base` among the names of its directory: one
/// number above the highest in use, "<base>.~1~" when there is none.
std::string next_backup_name(const std::string& base, const std::vector<std::string>& names);

/// Copies the regular file `path` to a new numbered backup beside it (beside the file a
/// symbolic link points to). True with the backup's path in `*backup`; false when it cannot be
/// made, with the reason in `*error` and the path it tried in `*backup`.
bool keep_numbered_backup(const std::string& path, std::string* backup, std::string* error);

#endif
