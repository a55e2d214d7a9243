// Where the registry file lives and how it is read and changed safely.
//
// Every operation reads the file afresh, so that what another process wrote
// is seen. Readers hold a shared and writers an exclusive flock on the side
// file "<path>.lock"; each operation opens its own descriptor for it, so the
// lock separates threads of one process as it separates processes. A writer
// reads, changes and writes the file under one exclusive lock and replaces
// it by renaming a complete, synced temporary file over it, so nobody ever
// sees half a file and no two writers lose each other's changes. A file that
// does not parse fails every operation with ERROR_BADDB and is never
// overwritten.
#pragma once

#include <functional>
#include <string>

#include "platform/WinTypes.h"
#include "platform/posix/RegTree.h"

namespace plat::reg {

// $ZAV_REGISTRY, else $XDG_CONFIG_HOME/zav/registry.reg, else
// $HOME/.config/zav/registry.reg; "" if there is no home to be found.
std::string RegistryFilePath();

// Runs `op` on the current content. `root` holds the hives as children.
LONG ReadRegistry(const std::function<LONG(RegNode& root)>& op);

// Runs `op` on the current content under the writers' lock and writes the
// result back when `op` succeeds and sets `changed`. A missing file is an
// empty registry and is created, with its directories, on the first change.
LONG UpdateRegistry(const std::function<LONG(RegNode& root, bool& changed)>& op);

}  // namespace plat::reg
