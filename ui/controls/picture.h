// Controls that show a picture taken from an offscreen world: a still image well, a crop
// control with a crop box moved and sized by eight grips (reported in source pixels), and a
// pan-zoom view dragged by the mouse (its offset reported in source pixels). Rectangles are
// (top, left, bottom, right); nearest(v) is truncate(v + 0.5). Empty rectangles are refused.
#pragma once

#include <cstdint>

#include "platform/pict/pictures.h"
#include "ui/base/control.h"
#include "ui/controls/pane_handler.h"

class CBK_ControlPicture : public CBK_Control {
public:
    ~CBK_ControlPicture() override;
    using CBK_Control::Create;
    bool Create(CBK_Dialog& dialog, uint32_t id, tbx::Rect& bounds, const wchar_t* text) override;
    bool OnInit() override;
    bool SetPicture(tbx::GWorldPtr source);
    bool Reset();
    bool OnPaint() { return true; }
    tbx::PicHandle GetPicture() const { return m_hPicture; }

private:
    tbx::PicHandle m_hPicture = nullptr;
};

// The pixel maps and pane handler that the crop and pan-zoom controls share.
// Nearest and truncated values held to the range of 16-bit coordinates.
int16_t BK_NearestCoordinate(double v);
int16_t BK_TruncatedCoordinate(double v);

class BK_PicturePane {
public:
    ~BK_PicturePane();
    // Maps of the control's size, the control's reference to `object` and the pane routines.
    bool Init(tbx::ControlRef control, void* object, std::function<void()> draw,
              std::function<void()> hit);
    void Free();
    tbx::GWorldPtr work = nullptr, image = nullptr;
    tbx::Rect local, window;
    int32_t originX = 0, originY = 0;
    BK_PaneHandler handler;
};

class CBK_ControlPictureCrop : public CBK_Control {
public:
    using CROP_CHANGED = void (*)(tbx::Rect& crop, void* data);

    bool OnInit() override;
    bool SetPicture(tbx::GWorldPtr source, const tbx::Rect& sourceRect, const tbx::Rect& frameRect,
                    const tbx::Rect& crop);
    bool SetCropBounds(const tbx::Rect& crop, bool redraw);
    void EnableCropping(bool enable);
    void SetOnCropChangeCallback(CROP_CHANGED callback, void* data);
    bool Reset();
    bool OnPaint();
    // A point in window coordinates; whether it was handled.
    bool OnLButtonDown(int32_t x, int32_t y, uint32_t flags);
    int32_t OnControlHit();
    void _FixCropBounds();

    const tbx::Rect& GetPictureArea() const { return m_rcArea; }
    const tbx::Rect& GetCropBox() const { return m_rcBox; }
    const tbx::Rect& GetCropResult() const { return m_rcResult; }

private:
    void _Draw();
    void _DrawCropBox();
    void _DoOnCropChangeCallback();
    void _ChangeCropBox(int grip, int32_t dx, int32_t dy);
    void _MoveCropBox(int32_t dx, int32_t dy);

    BK_PicturePane m_Pane; // the image map is the back map
    tbx::Rect m_rcArea, m_rcBox, m_rcResult;
    double m_fXScale = 1.0, m_fYScale = 1.0;
    CROP_CHANGED m_pCallback = nullptr;
    void* m_pCallbackData = nullptr;
    bool m_bCropping = false;
};

class CBK_ControlPictureDrag : public CBK_Control {
public:
    using DRAG_CHANGED = void (*)(int32_t x, int32_t y, bool final, void* data);
    static constexpr int32_t kMaxImageSide = 4096;

    bool OnInit() override;
    bool SetPicture(tbx::GWorldPtr source, const tbx::Rect& sourceRect, const tbx::Rect& frameRect);
    // The zoom is held to 0.01 .. 64.
    void Zoom(double zoom, bool redraw);
    void Pan(int32_t x, int32_t y, bool redraw);
    void SetStartValues(int32_t x, int32_t y, double zoom, bool redraw);
    void EnableDragging(bool enable) { m_bDragging = enable; }
    void SetOnDragChangeCallback(DRAG_CHANGED callback, void* data);
    bool Reset();
    bool OnPaint();
    int32_t OnLButtonDown();
    int32_t OnControlHit();

    const tbx::Rect& GetBaseRect() const { return m_rcBase; }
    const tbx::Rect& GetViewRect() const { return m_rcView; }
    const tbx::Rect& GetImageRect() const { return m_rcImage; }
    double GetZoom() const { return m_fZoom; }

private:
    void _Draw();
    void _DoOnDragChangeCallback(bool final);

    BK_PicturePane m_Pane;
    tbx::Rect m_rcImage, m_rcBase, m_rcView, m_rcFrame;
    double m_fXScale = 1.0, m_fYScale = 1.0, m_fZoom = 1.0;
    DRAG_CHANGED m_pCallback = nullptr;
    void* m_pCallbackData = nullptr;
    bool m_bDragging = false;
    int32_t m_nDistanceX = 0, m_nDistanceY = 0;
};
