#include "platform/posix/RegTree.h"

#include <algorithm>
#include <utility>

#include "platform/posix/RegText.h"

namespace plat::reg {

RegNode* RegNode::FindChild(std::string_view childName) {
    const auto it =
        std::lower_bound(children.begin(), children.end(), childName,
                         [](const RegNode& n, std::string_view k) { return CompareNames(n.name, k) < 0; });
    return it != children.end() && SameName(it->name, childName) ? &*it : nullptr;
}

RegNode& RegNode::AddChild(std::string_view childName, bool* created) {
    const auto it =
        std::lower_bound(children.begin(), children.end(), childName,
                         [](const RegNode& n, std::string_view k) { return CompareNames(n.name, k) < 0; });
    if (created) *created = false;
    if (it != children.end() && SameName(it->name, childName)) return *it;
    if (created) *created = true;
    RegNode node;
    node.name = std::string(childName);
    return *children.insert(it, std::move(node));
}

bool RegNode::RemoveChild(std::string_view childName) {
    RegNode* child = FindChild(childName);
    if (!child) return false;
    children.erase(children.begin() + (child - children.data()));
    return true;
}

RegValue* RegNode::FindValue(std::string_view valueName) {
    for (RegValue& v : values)
        if (SameName(v.name, valueName)) return &v;
    return nullptr;
}

bool RegNode::SetValue(std::string_view valueName, DWORD type, std::vector<BYTE> data) {
    if (RegValue* v = FindValue(valueName)) {
        if (v->type == type && v->data == data) return false;
        v->type = type;
        v->data = std::move(data);
        return true;
    }
    values.push_back(RegValue{std::string(valueName), type, std::move(data)});
    return true;
}

bool RegNode::RemoveValue(std::string_view valueName) {
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (SameName(it->name, valueName)) {
            values.erase(it);
            return true;
        }
    }
    return false;
}

bool SplitKeyPath(std::string_view path, bool allowTrailing, std::vector<std::string>& parts) {
    parts.clear();
    if (path.empty()) return true;
    if (allowTrailing && path.back() == '\\') path.remove_suffix(1);
    for (;;) {
        const size_t slash = path.find('\\');
        const std::string_view part = path.substr(0, slash);
        if (part.empty()) return false;
        parts.emplace_back(part);
        if (slash == std::string_view::npos) return true;
        path.remove_prefix(slash + 1);
    }
}

RegNode* FindPath(RegNode& from, const std::vector<std::string>& parts) {
    RegNode* node = &from;
    for (const std::string& part : parts)
        if (!(node = node->FindChild(part))) return nullptr;
    return node;
}

}  // namespace plat::reg
