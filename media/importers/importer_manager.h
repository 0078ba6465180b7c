// CBK_MediaImporterManager: registries of importer prototypes, each deciding which importer
// reads a file and handing out copies that the caller owns.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "core/files/file_type.h"
#include "core/paths/path.h"
#include "core/strings/string_functions.h"
#include "media/importers/media_importer.h"

class CBK_MediaImporterManager {
public:
    // Type 1 is used when a job's source is first opened, type 0 everywhere else.
    enum IMPORTER_TYPE : int32_t { IMPORTER_TYPE_DEFAULT = 0, IMPORTER_TYPE_OPEN = 1 };
    // What GetMediaType answers.
    enum : int32_t {
        MEDIA_TYPE_NONE = 0,
        MEDIA_TYPE_VISUAL = 1,
        MEDIA_TYPE_SOUND = 2,
        MEDIA_TYPE_SWF = 4
    };

    // Null, changing nothing, when a registry with the id exists.
    static CBK_MediaImporterManager* CreateManager(int32_t id);
    static CBK_MediaImporterManager* GetManager(int32_t id);
    static bool DestroyManager(int32_t id);
    static void DestroyManagers();

    ~CBK_MediaImporterManager();
    CBK_MediaImporterManager(const CBK_MediaImporterManager&) = delete;
    CBK_MediaImporterManager& operator=(const CBK_MediaImporterManager&) = delete;

    // The registry owns the prototype; false for null.
    bool AddMediaImporter(CBK_MediaImporter* importer);
    // Makes `importer` (a prototype of this registry) preferred for the type's extensions.
    bool SetPreferredType(CBK_FileType& type, CBK_MediaImporter* importer, IMPORTER_TYPE kind);
    CBK_MediaImporter* GetPreferredImporter(CBK_Path& path, bool makeCopy, IMPORTER_TYPE kind);
    // The preferred importer, else the first prototype whose CanOpen accepts the file; not
    // yet opened. A copy when makeCopy, else the prototype itself.
    CBK_MediaImporter* GetImporter(CBK_Path& path, bool makeCopy, IMPORTER_TYPE kind);
    // 0 nothing usable, 1 visual, 2 sound only, 4 an uncompressed SWF movie.
    int32_t GetMediaType(CBK_Path& path);
    void Reset();

    int32_t GetId() const { return m_nId; }

private:
    explicit CBK_MediaImporterManager(int32_t id) : m_nId(id) {}
    using Preferred = std::vector<std::pair<std::unique_ptr<CBK_FileType>, CBK_MediaImporter*>>;
    Preferred* _Table(IMPORTER_TYPE kind);

    std::vector<std::unique_ptr<CBK_MediaImporter>> m_vImporters;
    int32_t m_nId;
    // Walked in the order the entries were added.
    Preferred m_PreferredOpen;
    Preferred m_PreferredDefault;

    static std::vector<std::unique_ptr<CBK_MediaImporterManager>> m_vManagers;
};
