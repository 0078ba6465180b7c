// CBK_Window: a window made by BK_CreateWindow whose window and mouse events arrive as the
// virtual operations below. Positions and sizes are the content's, as in window_ops.h.
#pragma once

#include <cstdint>

#include "platform/windows/carbon_types.h"

class CBK_Window {
public:
    CBK_Window() = default;
    // Disposes of the window.
    virtual ~CBK_Window();
    CBK_Window(const CBK_Window&) = delete;
    CBK_Window& operator=(const CBK_Window&) = delete;

    // BK_CreateWindow's window with the event handler, then OnInit. False when a window is
    // already held or cannot be made.
    bool Create(int32_t x, int32_t y, uint32_t width, uint32_t height, const wchar_t* title,
                uint32_t flags);
    // Adopts nothing: true, nothing done.
    bool Create(tbx::WindowRef) { return true; }
    tbx::WindowRef GetWindowRef() const { return _window; }

    virtual bool Close() { return true; }
    virtual bool Maximize();
    virtual bool Minimize();
    virtual bool Restore();
    virtual bool IsMaximized();
    virtual bool IsMinimized();

    virtual void OnInit() {}
    virtual void OnClose() {}
    virtual void OnPaint() {}
    virtual void OnActivate(bool) {}
    virtual void OnFocus(bool) {}
    virtual void OnSize(long, long) {}
    virtual void OnMove(long, long) {}
    // A turn of the scroll wheel over the window: the axis (0 horizontal, 1 vertical) and
    // the delta.
    virtual void OnScroll(long, long) {}
    virtual void OnShow(bool) {}
    virtual void OnCommand(unsigned long, tbx::EventRef&) {}
    // Points local to the content; flags are the keyboard modifiers.
    virtual void OnLButtonDown(long, long, unsigned long) {}
    virtual void OnLButtonUp(long, long, unsigned long) {}
    virtual void OnRButtonDown(long, long, unsigned long) {}
    virtual void OnRButtonUp(long, long, unsigned long) {}
    virtual void OnMouseMove(long, long, unsigned long) {}
    virtual void OnDestroy() {}
    virtual void OnMaximize() {}
    virtual void OnMinimize() {}
    virtual void OnRestore() {}
    // Fills `types` (room for kMaxEventTypes) with the events the handler takes; the count.
    static constexpr int kMaxEventTypes = 16;
    virtual int _GetSupportedEvents(tbx::EventTypeSpec* types);

    bool DoModal() { return true; }
    bool DoModeless() { return true; }
    bool Enable() { return false; }
    bool Disable() { return false; }
    bool Update() { return false; }

    bool Show(bool show);
    bool SetPosition(int32_t x, int32_t y);
    bool GetPosition(int32_t& x, int32_t& y) const;
    bool SetSize(int32_t width, int32_t height);
    bool GetSize(int32_t& width, int32_t& height) const;
    bool SetTitle(const wchar_t* title);
    bool GetTitle(wchar_t* buffer, int32_t size) const;
    // From 0 (transparent) to 1 (opaque); false outside that range or without a window.
    bool SetAlpha(double alpha);
    bool SetFocus();
    bool BringToFront();
    bool SendToBack();
    // There is no full-screen mode here.
    void MakeFullscreen() {}

private:
    static tbx::OSStatus Handler(tbx::EventHandlerCallRef call, tbx::EventRef event, void* self);
    tbx::OSStatus Handle(tbx::EventRef event);
    bool Live() const;

    tbx::WindowRef _window = nullptr;
    tbx::EventHandlerRef _handler = nullptr;
};
