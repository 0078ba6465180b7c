// CBK_ImageWatermark: the picture laid over every output frame of a job. The base image is
// the working picture at the chosen size; beside it the picture as read, its placement,
// opacity, an optional transparent colour with its coverage map, and the job's XML form.
#pragma once

#include <cstdint>
#include <vector>

#include "core/paths/path.h"
#include "core/xml/xml_dom_node.h"
#include "core/xml/xml_writer.h"
#include "media/image/image.h"

class CBK_ImageWatermark : public CBK_Image {
public:
    enum HALIGN_TYPE : int32_t { HALIGN_LEFT = 0, HALIGN_CENTER = 1, HALIGN_RIGHT = 2 };
    enum VALIGN_TYPE : int32_t { VALIGN_TOP = 0, VALIGN_CENTER = 1, VALIGN_BOTTOM = 2 };
    // The sizes that the dialog and the XML form accept.
    static constexpr int32_t kMinSize = 1;
    static constexpr int32_t kMaxSize = 10000;

    CBK_ImageWatermark() { SetDefaults(); }
    CBK_ImageWatermark(const CBK_ImageWatermark&) = delete;
    // The picture is read again from the other's file.
    CBK_ImageWatermark& operator=(const CBK_ImageWatermark& other);

    // Placement, opacity and flags to their defaults; pictures and map stay.
    void SetDefaults();

    // The picture at its own size unless sizes of 1 or more are given; always true.
    bool Init(const CBK_Image& picture, int32_t width, int32_t height, uint32_t color);
    // The first frame of the file; false, changing nothing, when it gives no picture.
    bool Init(CBK_Path& path, int32_t width, int32_t height, uint32_t color);
    // Init(path, 0, 0, 0); true even when the file does not open.
    bool SetSourcePath(CBK_Path& path);

    // With keep aspect ratio the other side follows the picture's proportions.
    bool SetWidth(int32_t width);
    bool SetHeight(int32_t height);
    bool SetDimensions(int32_t width, int32_t height);
    // Stores the flag; when on, the height follows the width (the picture is not resampled).
    void SetKeepAspectRatio(bool keep);
    // Store the alignment and place x (or y) by it in the document.
    void SetHAlign(HALIGN_TYPE align);
    void SetVAlign(VALIGN_TYPE align);
    bool SetXPos(int32_t x) {
        m_nXPos = x;
        return true;
    }
    bool SetYPos(int32_t y) {
        m_nYPos = y;
        return true;
    }
    void SetPos(int32_t x, int32_t y) { m_nXPos = x, m_nYPos = y; }
    void SetAlignToDocument(bool align) { m_bAlignToDocument = align; }
    void SetAlpha(int32_t alpha) { m_nAlpha = alpha; }
    void SetUseTransparentColor(bool use) { m_bUseTransparentColor = use; }
    void SetTransparentColor(uint32_t color);
    // With align to document, x and y follow the alignments in the new size.
    void SetDocumentDimensions(int32_t width, int32_t height);

    bool WriteXml(CBK_XmlWriter& writer);
    // False, the rest unread, when the picture named by src does not open.
    bool ReadXml(CBK_XmlDomNode& element);

    // Blends the working picture into a 24-bit frame at (x, y), clipped to the frame.
    void Draw(CBK_Image& frame);

    const CBK_Image& GetSourceImage() const { return m_imgSource; }
    const CBK_Path& GetSourcePath() const { return m_pathSource; }
    int32_t GetTargetWidth() const { return m_nWidth; }
    int32_t GetTargetHeight() const { return m_nHeight; }
    int32_t GetXPos() const { return m_nXPos; }
    int32_t GetYPos() const { return m_nYPos; }
    int32_t GetDocumentWidth() const { return m_nDocWidth; }
    int32_t GetDocumentHeight() const { return m_nDocHeight; }
    HALIGN_TYPE GetHAlign() const { return m_nHAlign; }
    VALIGN_TYPE GetVAlign() const { return m_nVAlign; }
    int32_t GetAlpha() const { return m_nAlpha; }
    uint32_t GetTransparentColor() const { return m_nTransparentColor; }
    bool GetUseTransparentColor() const { return m_bUseTransparentColor; }
    bool GetKeepAspectRatio() const { return m_bKeepAspectRatio; }
    bool GetAlignToDocument() const { return m_bAlignToDocument; }
    const std::vector<uint8_t>& GetAlphaMap() const { return m_vAlphaMap; }

private:
    // The working picture: the source resampled to the target size, never the picture that an
    // earlier size left, so that no size change loses detail.
    void _Resample();
    void _BuildAlphaMap();
    // The other side of a proportional size, at least 1.
    int32_t _Proportional(int32_t side, bool fromWidth) const;

    CBK_Image m_imgSource;
    CBK_Path m_pathSource;
    int32_t m_nWidth = 1, m_nHeight = 1;
    int32_t m_nXPos = 0, m_nYPos = 0;
    int32_t m_nDocWidth = 1, m_nDocHeight = 1;
    HALIGN_TYPE m_nHAlign = HALIGN_LEFT;
    VALIGN_TYPE m_nVAlign = VALIGN_TOP;
    int32_t m_nAlpha = 255;
    uint32_t m_nTransparentColor = 0;
    bool m_bUseTransparentColor = false;
    bool m_bKeepAspectRatio = true;
    bool m_bAlignToDocument = false;
    std::vector<uint8_t> m_vAlphaMap;
    // The source's mask for m_nMaskColor, kept so that a size change resamples it alone.
    std::vector<uint8_t> m_vSourceMask;
    uint32_t m_nMaskColor = 0;
    bool m_bMaskValid = false;
};

// The position of a side of `size` aligned in a document side of `document`: 0 for the
// start, the centre (each halved first) or the end.
int32_t BK_AlignPosition(int32_t align, int32_t document, int32_t size);
