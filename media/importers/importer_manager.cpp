#include "media/importers/importer_manager.h"

#include <algorithm>
#include <cstdio>

#include "media/movie/quicktime_movie.h"

std::vector<std::unique_ptr<CBK_MediaImporterManager>> CBK_MediaImporterManager::m_vManagers;

CBK_MediaImporterManager* CBK_MediaImporterManager::CreateManager(int32_t id) {
    if (GetManager(id))
        return nullptr;
    m_vManagers.push_back(
        std::unique_ptr<CBK_MediaImporterManager>(new CBK_MediaImporterManager(id)));
    return m_vManagers.back().get();
}

CBK_MediaImporterManager* CBK_MediaImporterManager::GetManager(int32_t id) {
    for (auto& manager : m_vManagers)
        if (manager->m_nId == id)
            return manager.get();
    return nullptr;
}

bool CBK_MediaImporterManager::DestroyManager(int32_t id) {
    auto found = std::find_if(m_vManagers.begin(), m_vManagers.end(),
                              [id](const auto& manager) { return manager->m_nId == id; });
    if (found == m_vManagers.end())
        return false;
    m_vManagers.erase(found);
    return true;
}

void CBK_MediaImporterManager::DestroyManagers() {
    m_vManagers.clear();
}

CBK_MediaImporterManager::~CBK_MediaImporterManager() {
    Reset();
}

void CBK_MediaImporterManager::Reset() {
    m_PreferredOpen.clear();
    m_PreferredDefault.clear();
    m_vImporters.clear();
}

bool CBK_MediaImporterManager::AddMediaImporter(CBK_MediaImporter* importer) {
    if (!importer)
        return false;
    m_vImporters.emplace_back(importer);
    return true;
}

CBK_MediaImporterManager::Preferred* CBK_MediaImporterManager::_Table(IMPORTER_TYPE kind) {
    if (kind == IMPORTER_TYPE_OPEN)
        return &m_PreferredOpen;
    if (kind == IMPORTER_TYPE_DEFAULT)
        return &m_PreferredDefault;
    return nullptr;
}

bool CBK_MediaImporterManager::SetPreferredType(CBK_FileType& type, CBK_MediaImporter* importer,
                                                IMPORTER_TYPE kind) {
    if (!importer)
        return false;
    if (Preferred* table = _Table(kind))
        table->emplace_back(std::make_unique<CBK_FileType>(type), importer);
    return true;
}

CBK_MediaImporter* CBK_MediaImporterManager::GetPreferredImporter(CBK_Path& path, bool makeCopy,
                                                                  IMPORTER_TYPE kind) {
    Preferred* table = _Table(kind);
    if (!table)
        return nullptr;
    CBK_FileType type;
    type.Init(path);
    for (auto& [key, importer] : *table)
        if (type.HasType(*key))
            return makeCopy ? importer->MakeCopy() : importer;
    return nullptr;
}

CBK_MediaImporter* CBK_MediaImporterManager::GetImporter(CBK_Path& path, bool makeCopy,
                                                         IMPORTER_TYPE kind) {
    if (CBK_MediaImporter* preferred = GetPreferredImporter(path, makeCopy, kind))
        return preferred;
    for (auto& importer : m_vImporters)
        if (importer->CanOpen(path))
            return makeCopy ? importer->MakeCopy() : importer.get();
    return nullptr;
}

int32_t CBK_MediaImporterManager::GetMediaType(CBK_Path& path) {
    const std::wstring extension = path.GetExtensionString(false).substr(0, 32);
    // Case-sensitive as the job list has always matched it.
    if (extension == L"swf") {
        std::FILE* file = path.OpenAsStdFile(L"rb");
        if (!file)
            return MEDIA_TYPE_NONE;
        char signature[3] = {};
        const bool uncompressed = std::fread(signature, 1, 3, file) == 3 && signature[0] == 'F' &&
                                  signature[1] == 'W' && signature[2] == 'S';
        std::fclose(file);
        return uncompressed ? MEDIA_TYPE_SWF : MEDIA_TYPE_NONE;
    }
    if (qf_wcscasecmp(extension.c_str(), L"jpg") == 0 ||
        qf_wcscasecmp(extension.c_str(), L"jpeg") == 0)
        return MEDIA_TYPE_VISUAL;
    CBK_QuicktimeMovie movie;
    if (!movie.Open(path))
        return MEDIA_TYPE_NONE;
    if (movie.HasVideo())
        return MEDIA_TYPE_VISUAL;
    return movie.HasAudio() ? MEDIA_TYPE_SOUND : MEDIA_TYPE_NONE;
}
