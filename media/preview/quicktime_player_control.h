// CBK_ControlQuicktimePlayer: a movie playing inside a user pane, fitted into it and centred,
// kept running by a timer; CBK_ControlQuicktimeSound: a sound file played through a player.
#pragma once

#include "core/paths/path.h"
#include "media/movie/quicktime_movie.h"
#include "media/preview/quicktime_image_control.h"
#include "media/preview/quicktime_player.h"

class CBK_ControlQuicktimePlayer : public CBK_ControlQuicktimeImage {
public:
    ~CBK_ControlQuicktimePlayer() override;
    bool Destroy() override;
    // False when the movie does not open; with play, the timer's start decides.
    bool SetMovie(CBK_Path& path, bool play);
    // (Re)starts the timer, first at once and then every millisecond.
    bool Play();
    void OnTimer();
    void SetFit(bool fit) { m_bFit = fit; }
    // Where the movie is drawn in the window.
    const tbx::Rect& GetMovieBox() const { return m_Box; }
    CBK_QuicktimeMovie& GetMovie() { return m_Movie; }

private:
    static void _OnTimer(tbx::EventLoopTimerRef, void* data);

    tbx::EventLoopTimerRef m_Timer = nullptr;
    CBK_QuicktimeMovie m_Movie;
    tbx::Rect m_Box{};
    bool m_bFit = true;
};

class CBK_ControlQuicktimeSound : public CBK_ControlQuicktimeImage {
public:
    // Closes the player and opens the file in it; true when it opens and plays.
    bool SetSound(CBK_Path& path);
    bool Play() { return m_Player.Play(); }
    CBK_QuicktimePlayer& GetPlayer() { return m_Player; }

private:
    CBK_QuicktimePlayer m_Player;
};
