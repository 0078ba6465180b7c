#include "media/importers/mp3_importer.h"

#include "media/importers/quicktime_importer.h"
#include "media/movie/temporary_file.h"

CBK_MediaImporterQuickTimeMp3::~CBK_MediaImporterQuickTimeMp3() {
    _DropDecoded();
}

void CBK_MediaImporterQuickTimeMp3::_DropDecoded() {
    m_Decoded.Close();
    if (!m_Temporary.GetPathString().empty())
        m_Temporary.DeleteFile(false);
    m_Temporary = CBK_Path();
}

bool CBK_MediaImporterQuickTimeMp3::Init(CBK_Path& path) {
    return _OpenMovie(m_Source2, path);
}

bool CBK_MediaImporterQuickTimeMp3::CanOpen(CBK_Path& path) {
    CBK_QuicktimeMovie scratch;
    return scratch.Open(path);
}

bool CBK_MediaImporterQuickTimeMp3::SetSoundExportDescription(SOUND_EXPORT_DESCRIPTION& description,
                                                              CBK_ProgressDialog* dialog) {
    m_ExportDescription = description;
    CBK_QuicktimeMovie::SOUND_EXPORT_DESCRIPTION request = BK_SowtRequest(description);
    _DropDecoded();
    if (!m_Source2.SetSoundExportDescription(request) ||
        !BK_MakeTemporaryFile("_mip3rw", ".aiff", m_Temporary))
        return false;
    if (!m_Source2.ExportSound(m_Temporary, tbx::FourCC("AIFF"), 0, dialog) ||
        !m_Decoded.Open(m_Temporary)) {
        _DropDecoded();
        return false;
    }
    // Both hold the same decoded samples, so the source's times address the same instants.
    m_Decoded.SetTimeScale(m_Source2.GetTimeScale());
    return m_Decoded.SetSoundExportDescription(request);
}

bool CBK_MediaImporterQuickTimeMp3::GetSoundDescription(SOUND_DESCRIPTION& description) {
    return BK_DescribeSound(m_Source2, description);
}
