// The switch's accounts: those added through the control functions, and
// those configured in the registry, read the first time a registration
// names them. Not locked: the switch serialises access.
#pragma once

#include <map>
#include <string>

#include "SimAccount.h"

namespace zavsim {

class SimAccounts {
public:
    void Put(const SimAccount& account);
    // Null when neither added nor configured.
    const SimAccount* Find(const std::string& extension);
    void Clear() { m_accounts.clear(); }

private:
    static bool ReadConfigured(const std::string& extension, SimAccount* account);

    std::map<std::string, SimAccount> m_accounts;
};

}  // namespace zavsim
