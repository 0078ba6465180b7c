#include "media/watermark/image_watermark.h"

#include <algorithm>
#include <cstring>

#include "media/movie/quicktime_movie.h"
#include "media/watermark/watermark_blend.h"

int32_t BK_AlignPosition(int32_t align, int32_t document, int32_t size) {
    switch (align) {
    case 1:
        return document / 2 - size / 2;
    case 2:
        return document - size;
    default:
        return 0;
    }
}

void CBK_ImageWatermark::SetDefaults() {
    m_nWidth = m_nHeight = 1;
    m_nXPos = m_nYPos = 0;
    m_nDocWidth = m_nDocHeight = 1;
    m_nHAlign = HALIGN_LEFT;
    m_nVAlign = VALIGN_TOP;
    m_nAlpha = 255;
    m_nTransparentColor = 0;
    m_bUseTransparentColor = false;
    m_bKeepAspectRatio = true;
    m_bAlignToDocument = false;
}

CBK_ImageWatermark& CBK_ImageWatermark::operator=(const CBK_ImageWatermark& other) {
    if (&other == this)
        return *this;
    m_nDocWidth = other.m_nDocWidth;
    m_nDocHeight = other.m_nDocHeight;
    CBK_Path path = other.m_pathSource;
    Init(path, 0, 0, 0);
    SetDimensions(other.m_nWidth, other.m_nHeight);
    m_nXPos = other.m_nXPos;
    m_nYPos = other.m_nYPos;
    m_nAlpha = other.m_nAlpha;
    m_nTransparentColor = other.m_nTransparentColor;
    m_bUseTransparentColor = other.m_bUseTransparentColor;
    m_nHAlign = other.m_nHAlign;
    m_nVAlign = other.m_nVAlign;
    // The flag alone: recomputing the height here would part it from the copied picture and
    // change a size that the other one keeps.
    m_bKeepAspectRatio = other.m_bKeepAspectRatio;
    m_bAlignToDocument = other.m_bAlignToDocument;
    _BuildAlphaMap();
    return *this;
}

bool CBK_ImageWatermark::Init(const CBK_Image& picture, int32_t width, int32_t height,
                              uint32_t color) {
    m_imgSource.Copy(picture);
    m_bMaskValid = false;
    Copy(picture);
    m_nTransparentColor = color;
    m_nWidth = width < 1 ? picture.GetWidth() : width;
    m_nHeight = height < 1 ? picture.GetHeight() : height;
    // Given sizes are honoured at once, so that the working picture always has the size that
    // the fields name.
    _Resample();
    _BuildAlphaMap();
    return true;
}

bool CBK_ImageWatermark::Init(CBK_Path& path, int32_t width, int32_t height, uint32_t color) {
    CBK_QuicktimeMovie movie;
    CBK_Image picture;
    // A file that opens without a picture (a sound) is refused like one that does not open.
    if (!movie.Open(path) || !movie.GetRgbFrameImage(0, picture, nullptr, 24) || picture.IsEmpty())
        return false;
    m_pathSource = path;
    return Init(picture, width, height, color);
}

bool CBK_ImageWatermark::SetSourcePath(CBK_Path& path) {
    Init(path, 0, 0, 0);
    return true;
}

int32_t CBK_ImageWatermark::_Proportional(int32_t side, bool fromWidth) const {
    const double sw = std::max(m_imgSource.GetWidth(), 1);
    const double sh = std::max(m_imgSource.GetHeight(), 1);
    const double other = fromWidth ? sh / sw * side + 0.5 : sw / sh * side + 0.5;
    // Held to the sizes that can be made, so that a very flat picture keeps a row.
    return int32_t(std::clamp(other, double(kMinSize), double(kMaxSize)));
}

bool CBK_ImageWatermark::SetWidth(int32_t width) {
    m_nWidth = width;
    if (m_bKeepAspectRatio)
        m_nHeight = _Proportional(width, true);
    _Resample();
    _BuildAlphaMap();
    return true;
}

bool CBK_ImageWatermark::SetHeight(int32_t height) {
    m_nHeight = height;
    if (m_bKeepAspectRatio)
        m_nWidth = _Proportional(height, false);
    _Resample();
    _BuildAlphaMap();
    return true;
}

bool CBK_ImageWatermark::SetDimensions(int32_t width, int32_t height) {
    m_nWidth = width;
    m_nHeight = height;
    _Resample();
    _BuildAlphaMap();
    return true;
}

void CBK_ImageWatermark::SetKeepAspectRatio(bool keep) {
    m_bKeepAspectRatio = keep;
    if (keep)
        m_nHeight = _Proportional(m_nWidth, true);
}

void CBK_ImageWatermark::SetHAlign(HALIGN_TYPE align) {
    m_nHAlign = align;
    m_nXPos = BK_AlignPosition(align, m_nDocWidth, m_nWidth);
}

void CBK_ImageWatermark::SetVAlign(VALIGN_TYPE align) {
    m_nVAlign = align;
    m_nYPos = BK_AlignPosition(align, m_nDocHeight, m_nHeight);
}

void CBK_ImageWatermark::SetTransparentColor(uint32_t color) {
    m_nTransparentColor = color;
    _BuildAlphaMap();
}

void CBK_ImageWatermark::SetDocumentDimensions(int32_t width, int32_t height) {
    m_nDocWidth = width;
    m_nDocHeight = height;
    if (m_bAlignToDocument) {
        m_nXPos = BK_AlignPosition(m_nHAlign, width, m_nWidth);
        m_nYPos = BK_AlignPosition(m_nVAlign, height, m_nHeight);
    }
}

void CBK_ImageWatermark::_Resample() {
    ResizeFrom(m_imgSource, m_nWidth, m_nHeight);
}

void CBK_ImageWatermark::_BuildAlphaMap() {
    if (!m_bMaskValid || m_nMaskColor != m_nTransparentColor) {
        BK_BuildWatermarkMask(m_imgSource, m_nTransparentColor, m_vSourceMask);
        m_nMaskColor = m_nTransparentColor;
        m_bMaskValid = true;
    }
    BK_ResizeWatermarkMask(m_vSourceMask, m_imgSource.GetWidth(), m_imgSource.GetHeight(),
                           GetWidth(), GetHeight(), m_vAlphaMap);
}

void CBK_ImageWatermark::Draw(CBK_Image& frame) {
    const int32_t w = GetWidth(), h = GetHeight();
    const int32_t fw = frame.GetWidth(), fh = frame.GetHeight();
    if (IsEmpty() || frame.IsEmpty() || GetBitsPerPixel() != 24 || frame.GetBitsPerPixel() != 24)
        return;
    // Clip in 64 bits: positions come from the user and may be anything.
    const int64_t x = m_nXPos, y = m_nYPos;
    const int64_t markColumn = x < 0 ? -x : 0, frameColumn = x < 0 ? 0 : x;
    const int64_t markRow = y < 0 ? -y : 0, frameRow = y < 0 ? 0 : y;
    const int64_t columns = std::min<int64_t>(w - markColumn, fw - frameColumn);
    const int64_t rows = std::min<int64_t>(h - markRow, fh - frameRow);
    if (columns <= 0 || rows <= 0)
        return;
    const bool useMap =
        m_bUseTransparentColor && m_vAlphaMap.size() >= std::size_t(w) * std::size_t(h);
    for (int64_t r = 0; r < rows; ++r) {
        const std::size_t markIndex = std::size_t(markRow + r) * std::size_t(w) + markColumn;
        BK_BlendWatermarkRow(frame.GetDataAt(int32_t(frameColumn), int32_t(frameRow + r)), 3,
                             GetData() + markIndex * 3,
                             useMap ? m_vAlphaMap.data() + markIndex : nullptr, int32_t(columns),
                             m_nAlpha);
    }
}

namespace {

const char* const kHAlignWords[] = {"left", "center", "right"};
const char* const kVAlignWords[] = {"top", "center", "bottom"};

const char* Word(const char* const (&words)[3], int32_t value) {
    return value >= 0 && value <= 2 ? words[value] : "";
}

// The index of the keyword, matched exactly; -1 for any other text.
int32_t Keyword(const char* const (&words)[3], const std::wstring& text) {
    for (int32_t i = 0; i < 3; ++i)
        if (text == std::wstring(words[i], words[i] + std::strlen(words[i])))
            return i;
    return -1;
}

} // namespace

bool CBK_ImageWatermark::WriteXml(CBK_XmlWriter& writer) {
    writer << "<watermark_data src=\"" << m_pathSource << "\" width=\"" << m_nWidth
           << "\" height=\"" << m_nHeight << "\" x=\"" << m_nXPos << "\" y=\"" << m_nYPos
           << "\" h_align=\"" << Word(kHAlignWords, m_nHAlign) << "\" v_align=\""
           << Word(kVAlignWords, m_nVAlign) << "\" alpha=\"" << m_nAlpha
           << "\" use_transparent_color=\"" << m_bUseTransparentColor << "\" transparent_color=\""
           << m_nTransparentColor << "\" keep_aspect_ratio=\"" << m_bKeepAspectRatio
           << "\" align_to_doc=\"" << m_bAlignToDocument << "\" />\n";
    return true;
}

bool CBK_ImageWatermark::ReadXml(CBK_XmlDomNode& element) {
    CBK_XmlDomNamedNodeMap attributes;
    if (!element.GetAttributes(attributes))
        return true;
    CBK_XmlDomNode node;
    // An empty src is what a watermark without a picture writes: its settings still load.
    if (attributes.GetItem("src", node) && !node.GetText(L"").empty()) {
        CBK_Path path;
        node.GetTextAsPath(path);
        if (!Init(path, 0, 0, 0))
            return false;
    }
    auto number = [&](const char* name, int32_t& value) {
        if (attributes.GetItem(name, node))
            value = node.GetTextAsNumber(value);
    };
    auto flag = [&](const char* name, bool& value) {
        if (attributes.GetItem(name, node))
            value = node.TextIsTrue();
    };
    // Every attribute is read before the size is applied, so that the saved flag (not the
    // default one) decides whether the height follows the width.
    int32_t width = m_nWidth, height = m_nHeight, alpha = m_nAlpha;
    number("width", width);
    number("height", height);
    number("x", m_nXPos);
    number("y", m_nYPos);
    if (attributes.GetItem("h_align", node)) {
        const int32_t a = Keyword(kHAlignWords, node.GetText(L""));
        if (a >= 0)
            m_nHAlign = HALIGN_TYPE(a);
    }
    if (attributes.GetItem("v_align", node)) {
        const int32_t a = Keyword(kVAlignWords, node.GetText(L""));
        if (a >= 0)
            m_nVAlign = VALIGN_TYPE(a);
    }
    number("alpha", alpha);
    flag("use_transparent_color", m_bUseTransparentColor);
    if (attributes.GetItem("transparent_color", node))
        m_nTransparentColor = node.GetTextAsU32(m_nTransparentColor);
    flag("keep_aspect_ratio", m_bKeepAspectRatio);
    flag("align_to_doc", m_bAlignToDocument);
    // Stored files may hold anything; the sizes are those the dialog allows.
    m_nAlpha = std::clamp(alpha, 0, 255);
    SetDimensions(std::clamp(width, kMinSize, kMaxSize), std::clamp(height, kMinSize, kMaxSize));
    return true;
}
