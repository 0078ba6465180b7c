// CBK_QuicktimePlayer: a movie with the standard controller in a window of its own, kept
// idling by a timer at 1/24 s. The window is given, or loaded by name from the nib "main".
#pragma once

#include "core/paths/path.h"
#include "media/movie/quicktime_movie.h"
#include "platform/movie/movie_controller.h"
#include "platform/quickdraw/qd_types.h"
#include "platform/windows/carbon_types.h"
#include "platform/windows/event_record.h"

class CBK_QuicktimePlayer {
public:
    CBK_QuicktimePlayer() = default;
    virtual ~CBK_QuicktimePlayer();
    CBK_QuicktimePlayer(const CBK_QuicktimePlayer&) = delete;
    CBK_QuicktimePlayer& operator=(const CBK_QuicktimePlayer&) = delete;

    // The given window becomes this player's window and parent; false for null.
    bool Create(tbx::WindowRef window);
    // A window of the nib "main" with the player's event handler; false when it cannot be made.
    bool Create(const wchar_t* windowName, tbx::WindowRef parent);
    // Opens the movie with a controller drawing into `port`, sizes the window to it, shows it
    // and starts the timer. A movie already open goes first.
    bool Open(CBK_Path& path, tbx::GrafPtr port);
    bool Open(CBK_Path& path);
    // Plays at the movie's preferred rate; false without a controller.
    bool Play();
    // The controller's bounds keep their top-left corner and take this size.
    void SetSize(uint32_t width, uint32_t height);
    // The window takes the controller's size (the movie box when the bar is hidden); a box
    // without width gives a window without width.
    bool SizeWindowToMovie();
    // Draws the movie and its controller; false without a movie.
    virtual bool OnPaint();
    virtual bool OnCreate(tbx::WindowRef) { return false; }
    virtual bool OnClose();
    virtual bool OnSize(int32_t width, int32_t height);
    // Idles the controller with a mouse-moved event.
    virtual void OnTimer();
    // True when the controller took the event; false without a controller.
    bool ProcessQuicktimeEvent(tbx::EventRef& event);
    bool ProcessQuicktimeEvent(tbx::EventRecord& event);
    // Disposes of the controller, then closes the movie, the timer and the window's handler.
    bool Close();

    static tbx::GrafPtr GetPortFromWindowReference(tbx::WindowRef window);
    CBK_QuicktimeMovie& GetMovie() { return m_Movie; }
    tbx::MovieController GetController() const { return m_hController; }
    tbx::WindowRef GetWindow() const { return m_hWnd; }

private:
    friend tbx::OSStatus BK_QuicktimeWndProc(tbx::EventHandlerCallRef, tbx::EventRef, void*);
    // Disposes of the controller and the timer and closes the movie.
    void _CloseMovie();

    tbx::EventHandlerRef m_Handler = nullptr;
    tbx::EventLoopTimerRef m_Timer = nullptr;
    CBK_QuicktimeMovie m_Movie;
    tbx::Movie* m_hMovie = nullptr;
    tbx::MovieController m_hController = nullptr;
    tbx::WindowRef m_hWnd = nullptr;
    tbx::WindowRef m_hParent = nullptr;
    bool m_bOwnsWindow = false;
};

// The player window's handler: every event goes to the controller first; a size change
// resizes the controller, the close box closes the player before the window goes, and an
// update draws the movie.
tbx::OSStatus BK_QuicktimeWndProc(tbx::EventHandlerCallRef, tbx::EventRef event, void* player);
// Hands an event to a controller: true when it took it; false without a controller.
bool BK_QuicktimeControllerEvent(tbx::MovieController controller, tbx::EventRecord& event);
bool BK_QuicktimeControllerEvent(tbx::MovieController controller, tbx::EventRef event);
// The timer's call: the player's OnTimer.
void BK_QuicktimeTimerCallback(tbx::EventLoopTimerRef, void* player);
// The controllers' action filter: lets every action through.
tbx::Boolean MCFilter(tbx::MovieController controller, tbx::MCAction action, void* params,
                      tbx::SInt32 refCon);
// Always 0.
int32_t GetWindowWidth(tbx::WindowRef window);
