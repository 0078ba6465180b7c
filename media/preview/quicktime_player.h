// CBK_QuicktimePlayer: a movie shown in a window of its own, kept running by a timer at
// 1/24 s. The window is given, or loaded by name from the nib "main".
#pragma once

#include "core/paths/path.h"
#include "media/movie/quicktime_movie.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"

class CBK_QuicktimePlayer {
public:
    CBK_QuicktimePlayer() = default;
    virtual ~CBK_QuicktimePlayer();
    CBK_QuicktimePlayer(const CBK_QuicktimePlayer&) = delete;
    CBK_QuicktimePlayer& operator=(const CBK_QuicktimePlayer&) = delete;

    // The given window becomes this player's window and parent; false for null.
    bool Create(tbx::WindowRef window);
    // A window of the nib "main"; false when it cannot be made.
    bool Create(const wchar_t* windowName, tbx::WindowRef parent);
    // Opens the movie, sizes the window to it, shows it and starts the timer.
    bool Open(CBK_Path& path, tbx::GrafPtr port);
    bool Open(CBK_Path& path);
    bool Play();
    void SetSize(uint32_t width, uint32_t height);
    bool SizeWindowToMovie();
    // Draws the frame at the movie's current time; false without a movie.
    virtual bool OnPaint();
    virtual bool OnCreate(tbx::WindowRef) { return false; }
    virtual bool OnClose();
    virtual bool OnSize(int32_t width, int32_t height);
    virtual void OnTimer();
    // Closes the movie, the timer and the window's handler.
    bool Close();

    static tbx::GrafPtr GetPortFromWindowReference(tbx::WindowRef window);
    CBK_QuicktimeMovie& GetMovie() { return m_Movie; }
    tbx::WindowRef GetWindow() const { return m_hWnd; }

private:
    static tbx::OSStatus _OnEvent(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);
    static void _OnTimer(tbx::EventLoopTimerRef, void* data);

    tbx::EventHandlerRef m_Handler = nullptr;
    tbx::EventLoopTimerRef m_Timer = nullptr;
    CBK_QuicktimeMovie m_Movie;
    tbx::Rect m_Box{};
    tbx::WindowRef m_hWnd = nullptr;
    tbx::WindowRef m_hParent = nullptr;
    bool m_bOwnsWindow = false;
};
