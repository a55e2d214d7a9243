#include "host/ProviderModule.h"

#include "host/TspiExportNames.h"
#include "platform/Module.h"

namespace zavhost {

ProviderModule::~ProviderModule() { Unload(); }

bool ProviderModule::Load(const std::string& path) {
    Unload();
    m_error.clear();
    m_module = plat::LoadModule(path.c_str(), &m_error);
    if (!m_module) return false;
    m_path = path;
    return true;
}

void ProviderModule::Unload() {
    if (m_module) plat::UnloadModule(m_module);
    m_module = nullptr;
    m_path.clear();
}

void* ProviderModule::Find(const char* name) const { return plat::GetModuleSymbol(m_module, name); }

std::vector<std::string> ProviderModule::PresentExports() const {
    std::vector<std::string> names;
    for (const char* name : kTspiExportNames)
        if (Find(name)) names.push_back(name);
    return names;
}

std::vector<std::string> ProviderModule::MissingExports() const {
    std::vector<std::string> names;
    for (const char* name : kTspiExportNames)
        if (!Find(name)) names.push_back(name);
    return names;
}

}  // namespace zavhost
