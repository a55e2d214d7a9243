#include "tools/ZavConfigFile.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/posix/RegFile.h"

namespace zavtools {
namespace {

using plat::reg::RegNode;
using plat::reg::RegValue;

// The same keys below HKEY_LOCAL_MACHINE as kZavProviderKey and kZavServerKey.
const std::vector<std::string> kProviderPath = {"HKEY_LOCAL_MACHINE", "Software", "Ostrel", "ZAV", "ZAVTSP"};
const std::vector<std::string> kServerPath = {"HKEY_LOCAL_MACHINE", "Software", "Ostrel", "ZAV", "Carrack"};

RegNode& MakePath(RegNode& root, const std::vector<std::string>& path) {
    RegNode* node = &root;
    for (const std::string& name : path) node = &node->AddChild(name);
    return *node;
}

void SetText(RegNode& key, const char* name, const std::string& text) {
    key.SetValue(name, REG_SZ, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1));
}

bool GetText(RegNode& key, const char* name, std::string* text) {
    const RegValue* value = key.FindValue(name);
    if (!value || value->type != REG_SZ) return false;
    text->assign(value->data.begin(), value->data.end());
    text->resize(text->find('\0') == std::string::npos ? text->size() : text->find('\0'));
    return true;
}

std::string Transformed(std::string password) {
    TransformPassword(password.data());
    return password.c_str();
}

}  // namespace

std::string ExportConfigFile(const std::string& path, const ZavConfigEditor& editor) {
    RegNode root;
    RegNode& provider = MakePath(root, kProviderPath);
    const DWORD count = editor.Count();
    provider.SetValue("NumPhones", REG_DWORD,
                      std::vector<BYTE>(reinterpret_cast<const BYTE*>(&count),
                                        reinterpret_cast<const BYTE*>(&count) + sizeof count));
    for (DWORD i = 0; i < count; ++i) {
        RegNode& phone = provider.AddChild("Phone" + std::to_string(i));
        SetText(phone, "Extension", editor.Extension(i));
        SetText(phone, "Password", Transformed(editor.Password(i)));
    }
    if (*editor.Address()) SetText(MakePath(root, kServerPath), "ServerIPAddr", editor.Address());
    std::string bytes;
    if (!plat::reg::FormatRegFile(root, bytes)) return "cannot format " + path;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!(out << bytes) || !out.flush()) return "cannot write " + path;
    return "";
}

std::string ImportConfigFile(const std::string& path, ZavConfigEditor& editor) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "cannot read " + path;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    RegNode root;
    std::string error;
    if (!plat::reg::ParseRegFile(bytes, root, &error)) return path + ": " + error;
    RegNode* provider = plat::reg::FindPath(root, kProviderPath);
    const RegValue* count = provider ? provider->FindValue("NumPhones") : nullptr;
    if (!count || count->type != REG_DWORD || count->data.size() != sizeof(DWORD))
        return path +
               " holds no telephone list (NumPhones under HKEY_LOCAL_MACHINE\\Software\\Ostrel\\ZAV\\ZAVTSP)";
    DWORD n = 0;
    std::copy(count->data.begin(), count->data.end(), reinterpret_cast<BYTE*>(&n));
    while (editor.Count() > 0) editor.Remove(0);
    for (DWORD i = 0; i < n; ++i) {
        const std::string name = "Phone" + std::to_string(i);
        RegNode* phone = provider->FindChild(name);
        std::string extension, password;
        if (!phone || !GetText(*phone, "Extension", &extension))
            return path + ": " + name + " has no extension";
        GetText(*phone, "Password", &password);
        if (ZavRefusal refusal = editor.Add(extension.c_str(), Transformed(password).c_str());
            refusal != ZavRefusal::kNone)
            return path + ": " + name + " " + extension + ": " + ZavRefusalText(refusal);
    }
    std::string address;
    if (RegNode* server = plat::reg::FindPath(root, kServerPath);
        server && GetText(*server, "ServerIPAddr", &address))
        editor.SetAddress(address.c_str());
    return "";
}

}  // namespace zavtools
