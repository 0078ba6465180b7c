#include "media/converter/atom_parser.h"

#include <cmath>

namespace {

constexpr uint32_t kVideo = tbx::FourCC("vide");
constexpr uint32_t kTemporal = tbx::FourCC("tprl");
constexpr uint32_t kSpatial = tbx::FourCC("sptl");
constexpr uint32_t kWidth = tbx::FourCC("wdth");
constexpr uint32_t kHeight = tbx::FourCC("hegt");
constexpr uint32_t kDV = tbx::FourCC("dvcv");
constexpr uint32_t kTime = tbx::FourCC("time");
constexpr uint32_t kFps = tbx::FourCC("fps ");

uint32_t Word(const std::vector<uint8_t>& data, std::size_t index) {
    const uint8_t* p = data.data() + index * 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void SetWord(std::vector<uint8_t>& data, std::size_t index, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        data[index * 4 + i] = uint8_t(value >> (24 - 8 * i));
}

uint32_t Fixed(double value) {
    return uint32_t(int32_t(std::lround(value * 65536.0)));
}

std::vector<uint8_t> FixedData(double value) {
    std::vector<uint8_t> data(4);
    SetWord(data, 0, Fixed(value));
    return data;
}

void SetFps(tbx::QTAtomNode& fps, float frameRate) {
    fps.data.resize(std::max<std::size_t>(fps.data.size(), 4), 0);
    SetWord(fps.data, 0, Fixed(frameRate));
}

// Reads the settings, lets `edit` change them and their video part (made when missing), and
// writes them back.
template <class Edit>
bool EditSettings(tbx::QTAtomContainer container, Edit edit) {
    tbx::QTAtomNode root;
    if (!tbx::ReadAtomContainer(container, root))
        return false;
    tbx::QTAtomNode* video = root.Find(kVideo);
    if (!video)
        video = &root.Insert(kVideo);
    edit(root, *video);
    return tbx::WriteAtomContainer(root, container);
}

} // namespace

void CBK_QuicktimeAtomParser::Reset() {
    m_nWidth = m_nHeight = 0;
    m_fFrameRate = 0;
    m_bDV = false;
}

bool CBK_QuicktimeAtomParser::Parse(tbx::QTAtomContainer container) {
    tbx::QTAtomNode root;
    if (!tbx::ReadAtomContainer(container, root))
        return false;
    if (tbx::QTAtomNode* video = root.Find(kVideo)) {
        if (tbx::QTAtomNode* temporal = video->Find(kTemporal);
            temporal && temporal->data.size() >= 12)
            m_fFrameRate = float(int32_t(Word(temporal->data, 1)) / 65536.0);
        // Stored spatial settings are 14 bytes (the depth is a short): the words that are
        // there are kept, the missing bytes read as zero.
        if (tbx::QTAtomNode* spatial = video->Find(kSpatial);
            spatial && spatial->data.size() >= 4) {
            std::vector<uint8_t> words(spatial->data);
            words.resize(16, 0);
            for (std::size_t i = 0; i < 4; ++i)
                m_nSpatial[i] = Word(words, i);
            if (m_nSpatial[0] == tbx::FourCC("dvcp") || m_nSpatial[0] == tbx::FourCC("dvpp")) {
                m_nWidth = 720, m_nHeight = 576, m_bDV = true;
            } else if (m_nSpatial[0] == tbx::FourCC("dvc ")) {
                m_nWidth = 720, m_nHeight = 480, m_bDV = true;
            }
        }
        if (m_nWidth && m_nHeight)
            return true;
        if (tbx::QTAtomNode* width = video->Find(kWidth); width && width->data.size() >= 4)
            m_nWidth = int32_t(Word(width->data, 0)) >> 16;
        if (tbx::QTAtomNode* height = video->Find(kHeight); height && height->data.size() >= 4)
            m_nHeight = int32_t(Word(height->data, 0)) >> 16;
    }
    if (m_nWidth || m_nHeight)
        return true;
    tbx::QTAtomNode* dv = root.Find(kDV);
    if (!dv || dv->data.empty())
        return false;
    m_nWidth = 720;
    m_nHeight = dv->data[0] != 0 ? 480 : 576; // non-zero: NTSC
    m_bDV = true;
    return true;
}

bool CBK_QuicktimeAtomParser::_SetRate(tbx::QTAtomNode& root, tbx::QTAtomNode& video,
                                       float frameRate) {
    tbx::QTAtomNode* temporal = video.Find(kTemporal);
    if (!temporal) {
        if (tbx::QTAtomNode* time = root.Find(kTime))
            if (tbx::QTAtomNode* fps = time->Find(kFps))
                SetFps(*fps, frameRate);
        temporal = &video.Insert(kTemporal);
    }
    temporal->data.resize(std::max<std::size_t>(temporal->data.size(), 12), 0);
    SetWord(temporal->data, 1, Fixed(frameRate));
    return true;
}

void CBK_QuicktimeAtomParser::_SetSize(tbx::QTAtomNode& video, int32_t width, int32_t height) {
    video.Remove(kWidth);
    video.Insert(kWidth, FixedData(width));
    video.Remove(kHeight);
    video.Insert(kHeight, FixedData(height));
}

bool CBK_QuicktimeAtomParser::SetAtomData(tbx::QTAtomContainer container, int32_t width,
                                          int32_t height, float frameRate) {
    return EditSettings(container, [&](tbx::QTAtomNode& root, tbx::QTAtomNode& video) {
        _SetRate(root, video, frameRate);
        _SetSize(video, width, height);
    });
}

bool CBK_QuicktimeAtomParser::SetAtomDataDimensions(tbx::QTAtomContainer container, int32_t width,
                                                    int32_t height) {
    return EditSettings(container, [&](tbx::QTAtomNode&, tbx::QTAtomNode& video) {
        _SetSize(video, width, height);
    });
}

bool CBK_QuicktimeAtomParser::SetAtomDataFramerate(tbx::QTAtomContainer container,
                                                   float frameRate) {
    return EditSettings(container, [&](tbx::QTAtomNode& root, tbx::QTAtomNode& video) {
        // With time settings and no temporal settings only the time settings change.
        if (!video.Find(kTemporal))
            if (tbx::QTAtomNode* time = root.Find(kTime))
                if (tbx::QTAtomNode* fps = time->Find(kFps)) {
                    SetFps(*fps, frameRate);
                    return;
                }
        _SetRate(root, video, frameRate);
    });
}
