// The registry API over the registry file. An HKEY is a heap object of ours
// holding the key's path and the access it was opened with, never a pointer
// into a tree: each operation re-reads the file and looks the path up again,
// so a handle outlives any change another thread or process makes, and a key
// deleted under it shows as ERROR_KEY_DELETED.
#include "platform/Registry.h"

#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/posix/RegStore.h"
#include "platform/posix/RegText.h"
#include "platform/posix/RegTree.h"

struct HKEY__ {
    std::vector<std::string> path;  // below HKEY_LOCAL_MACHINE
    DWORD access = 0;
};

namespace plat {
namespace {

using reg::RegNode;

constexpr LONG kErrorBadPathname = 161;
constexpr LONG kErrorNoUnicodeTranslation = 1113;
constexpr const char* kHive = "HKEY_LOCAL_MACHINE";

// Open handles, so that a closed or foreign handle is refused rather than
// dereferenced.
class HandleTable {
public:
    HKEY Add(std::vector<std::string> path, DWORD access) {
        auto key = std::make_unique<HKEY__>(HKEY__{std::move(path), access});
        std::lock_guard<std::mutex> guard(mutex_);
        live_.insert(key.get());
        return key.release();
    }
    bool Get(HKEY key, HKEY__& copy) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (!live_.count(key)) return false;
        copy = *key;
        return true;
    }
    bool Remove(HKEY key) {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (!live_.erase(key)) return false;
        }
        delete key;
        return true;
    }

private:
    std::mutex mutex_;
    std::unordered_set<HKEY> live_;
};

// Never destroyed: a handle closed from a static destructor must still work.
HandleTable& Handles() {
    static HandleTable* table = new HandleTable;
    return *table;
}

LONG Resolve(HKEY key, HKEY__& out) {
    if (key == HKEY_LOCAL_MACHINE) {
        out.path.clear();
        out.access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    return Handles().Get(key, out) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// Names go into a UTF-16 file one line each: they must be text, and may not
// hold a line break.
LONG CheckName(std::string_view name) {
    if (!reg::IsValidUtf8(name)) return kErrorNoUnicodeTranslation;
    return name.find_first_of("\r\n") == std::string_view::npos ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
}

LONG ParseSubKey(const char* subKey, std::vector<std::string>& parts) {
    if (!reg::SplitKeyPath(subKey ? subKey : "", true, parts)) return kErrorBadPathname;
    for (const std::string& part : parts)
        if (const LONG rc = CheckName(part); rc != ERROR_SUCCESS) return rc;
    return ERROR_SUCCESS;
}

RegNode* FindKey(RegNode& root, const std::vector<std::string>& path) {
    return reg::FindPath(root.AddChild(kHive), path);
}

// Walks `rel` down from the key `base` names, collecting the names as stored
// in `full`. A missing name is ERROR_FILE_NOT_FOUND, or with `create` is
// added, which takes KEY_CREATE_SUB_KEY on `base`.
LONG Walk(RegNode& root, const HKEY__& base, const std::vector<std::string>& rel, bool create,
          std::vector<std::string>& full, bool& created) {
    RegNode* node = FindKey(root, base.path);
    if (!node) return ERROR_KEY_DELETED;
    full = base.path;
    created = false;
    for (const std::string& part : rel) {
        RegNode* child = node->FindChild(part);
        if (!child) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            if (!(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
            child = &node->AddChild(part);
            created = true;
        }
        full.push_back(child->name);
        node = child;
    }
    return ERROR_SUCCESS;
}

template <typename F>
LONG Guarded(F&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ERROR_INVALID_DATA;
    }
}

// Runs `op` on the node of an open key, refusing without `need` access.
LONG WithKey(HKEY key, DWORD need, bool write, const std::function<LONG(RegNode&, bool&)>& op) {
    HKEY__ ref;
    if (const LONG rc = Resolve(key, ref); rc != ERROR_SUCCESS) return rc;
    if ((ref.access & need) != need) return ERROR_ACCESS_DENIED;
    const auto onNode = [&](RegNode& root, bool& changed) -> LONG {
        RegNode* node = FindKey(root, ref.path);
        return node ? op(*node, changed) : ERROR_KEY_DELETED;
    };
    if (write) return reg::UpdateRegistry(onNode);
    return reg::ReadRegistry([&](RegNode& root) -> LONG {
        bool unused = false;
        return onNode(root, unused);
    });
}

}  // namespace

LONG OpenRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result) {
    return Guarded([&]() -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        HKEY__ base;
        std::vector<std::string> rel;
        if (const LONG rc = Resolve(parent, base); rc != ERROR_SUCCESS) return rc;
        if (const LONG rc = ParseSubKey(subKey, rel); rc != ERROR_SUCCESS) return rc;
        std::vector<std::string> full;
        bool created = false;
        const LONG rc =
            reg::ReadRegistry([&](RegNode& root) { return Walk(root, base, rel, false, full, created); });
        if (rc != ERROR_SUCCESS) return rc;
        *result = Handles().Add(std::move(full), access);
        return ERROR_SUCCESS;
    });
}

LONG CreateRegKey(HKEY parent, const char* subKey, DWORD access, HKEY* result, DWORD* disposition) {
    return Guarded([&]() -> LONG {
        if (!result) return ERROR_INVALID_PARAMETER;
        *result = nullptr;
        HKEY__ base;
        std::vector<std::string> rel;
        if (const LONG rc = Resolve(parent, base); rc != ERROR_SUCCESS) return rc;
        if (const LONG rc = ParseSubKey(subKey, rel); rc != ERROR_SUCCESS) return rc;
        std::vector<std::string> full;
        bool created = false;
        // Opening an existing key needs neither the writers' lock nor a
        // writable directory; only a missing one takes the writers' path.
        LONG rc =
            reg::ReadRegistry([&](RegNode& root) { return Walk(root, base, rel, false, full, created); });
        if (rc == ERROR_FILE_NOT_FOUND) {
            rc = reg::UpdateRegistry([&](RegNode& root, bool& changed) {
                const LONG walked = Walk(root, base, rel, true, full, created);
                changed = created;
                return walked;
            });
        }
        if (rc != ERROR_SUCCESS) return rc;
        *result = Handles().Add(std::move(full), access);
        if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    });
}

LONG CloseRegKey(HKEY key) {
    return Guarded([&]() -> LONG {
        if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
        return Handles().Remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    });
}

LONG DeleteRegKey(HKEY parent, const char* subKey) {
    return Guarded([&]() -> LONG {
        if (!subKey) return ERROR_INVALID_PARAMETER;
        HKEY__ base;
        std::vector<std::string> rel;
        if (const LONG rc = Resolve(parent, base); rc != ERROR_SUCCESS) return rc;
        if (const LONG rc = ParseSubKey(subKey, rel); rc != ERROR_SUCCESS) return rc;
        // The parent handle's access does not matter here, as with RegDeleteKeyA.
        return reg::UpdateRegistry([&](RegNode& root, bool& changed) -> LONG {
            if (!FindKey(root, base.path)) return ERROR_KEY_DELETED;
            std::vector<std::string> path = base.path;
            path.insert(path.end(), rel.begin(), rel.end());
            if (path.empty()) return ERROR_ACCESS_DENIED;  // the hive itself
            const std::string name = path.back();
            path.pop_back();
            RegNode* owner = FindKey(root, path);
            RegNode* target = owner ? owner->FindChild(name) : nullptr;
            if (!target) return ERROR_FILE_NOT_FOUND;
            if (!target->children.empty()) return ERROR_ACCESS_DENIED;
            owner->RemoveChild(name);
            changed = true;
            return ERROR_SUCCESS;
        });
    });
}

LONG QueryRegValue(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size) {
    return Guarded([&]() -> LONG {
        if (data && !size) return ERROR_INVALID_PARAMETER;
        return WithKey(key, KEY_QUERY_VALUE, false, [&](RegNode& node, bool&) -> LONG {
            const reg::RegValue* v = node.FindValue(name ? name : "");
            if (!v) return ERROR_FILE_NOT_FOUND;
            const auto needed = static_cast<DWORD>(v->data.size());
            if (type) *type = v->type;
            if (data && *size < needed) {
                *size = needed;
                return ERROR_MORE_DATA;
            }
            if (data && needed) std::memcpy(data, v->data.data(), needed);
            if (size) *size = needed;
            return ERROR_SUCCESS;
        });
    });
}

LONG SetRegValue(HKEY key, const char* name, DWORD type, const BYTE* data, DWORD size) {
    return Guarded([&]() -> LONG {
        if (!data && size) return ERROR_INVALID_PARAMETER;
        const std::string_view valueName = name ? name : "";
        if (const LONG rc = CheckName(valueName); rc != ERROR_SUCCESS) return rc;
        // String data need not be UTF-8: what is not goes into the file as
        // the Windows-1252 text that RegSetValueExA would have stored.
        std::vector<BYTE> bytes(data, data + size);
        return WithKey(key, KEY_SET_VALUE, true, [&](RegNode& node, bool& changed) -> LONG {
            changed = node.SetValue(valueName, type, bytes);
            return ERROR_SUCCESS;
        });
    });
}

LONG DeleteRegValue(HKEY key, const char* name) {
    return Guarded([&]() -> LONG {
        return WithKey(key, KEY_SET_VALUE, true, [&](RegNode& node, bool& changed) -> LONG {
            changed = node.RemoveValue(name ? name : "");
            return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
        });
    });
}

LONG EnumRegKey(HKEY key, DWORD index, char* name, DWORD* nameSize) {
    return Guarded([&]() -> LONG {
        if (!name || !nameSize) return ERROR_INVALID_PARAMETER;
        return WithKey(key, KEY_ENUMERATE_SUB_KEYS, false, [&](RegNode& node, bool&) -> LONG {
            if (index >= node.children.size()) return ERROR_NO_MORE_ITEMS;
            const std::string& child = node.children[index].name;
            if (child.size() + 1 > *nameSize) return ERROR_MORE_DATA;
            std::memcpy(name, child.c_str(), child.size() + 1);
            *nameSize = static_cast<DWORD>(child.size());
            return ERROR_SUCCESS;
        });
    });
}

LONG SetRegString(HKEY key, const char* name, const char* text) {
    if (!text) return ERROR_INVALID_PARAMETER;
    return SetRegValue(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
}

LONG SetRegDword(HKEY key, const char* name, DWORD value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return SetRegValue(key, name, REG_DWORD, bytes, sizeof bytes);
}

std::string RegistryLocation() { return reg::RegistryFilePath(); }

}  // namespace plat
