// CBK_ControlQuicktimePlayer: a movie with the standard controller inside a user pane, fitted
// into it and centred, kept idling by a timer; CBK_ControlQuicktimeSound: a sound file played
// through a player without a window.
#pragma once

#include "core/paths/path.h"
#include "media/movie/quicktime_movie.h"
#include "media/preview/quicktime_image_control.h"
#include "media/preview/quicktime_player.h"
#include "platform/movie/movie_controller.h"
#include "platform/windows/event_record.h"

class CBK_ControlQuicktimePlayer : public CBK_ControlQuicktimeImage {
public:
    ~CBK_ControlQuicktimePlayer() override;
    bool Destroy() override;
    // The canvas, and a handler on the window that hands the controller its events.
    bool OnInit() override;
    // False when the movie does not open; with play, Play decides. The timer idles the
    // controller either way.
    bool SetMovie(CBK_Path& path, bool play);
    // Plays at the preferred rate and (re)starts the timer, first at once and then every
    // millisecond; true when the timer runs.
    bool Play();
    // Idles the controller.
    void OnTimer();
    // Draws the movie and its controller; false without one.
    bool OnDraw() override;
    // True when the controller took the event; false without a controller.
    bool ProcessQuicktimeEvent(tbx::EventRecord& event);
    bool ProcessQuicktimeEvent(tbx::EventRef& event);
    void SetFit(bool fit) { m_bFit = fit; }
    // Where the movie is drawn in the window.
    const tbx::Rect& GetMovieBox() const { return m_Box; }
    CBK_QuicktimeMovie& GetMovie() { return m_Movie; }
    tbx::MovieController GetController() const { return m_hController; }

private:
    static tbx::OSStatus _OnWindowEvent(tbx::EventHandlerCallRef, tbx::EventRef event, void* data);
    static void _OnTimer(tbx::EventLoopTimerRef, void* data);
    void _CloseMovie();

    tbx::EventHandlerRef m_hWindowHandler = nullptr;
    tbx::EventLoopTimerRef m_Timer = nullptr;
    CBK_QuicktimeMovie m_Movie;
    tbx::Movie* m_hMovie = nullptr;
    tbx::MovieController m_hController = nullptr;
    tbx::Rect m_Box{};
    bool m_bFit = true;
};

class CBK_ControlQuicktimeSound : public CBK_ControlQuicktimeImage {
public:
    ~CBK_ControlQuicktimeSound() override;
    bool Destroy() override;
    // Closes the player and opens the file in it; true when it opens and plays.
    bool SetSound(CBK_Path& path);
    // Plays the player and (re)starts the timer, as the player control does.
    bool Play();
    // Idles the player's controller with a null event.
    void OnTimer();
    CBK_QuicktimePlayer& GetPlayer() { return m_Player; }

private:
    static void _OnTimer(tbx::EventLoopTimerRef, void* data);

    tbx::EventLoopTimerRef m_Timer = nullptr;
    CBK_QuicktimePlayer m_Player;
};
