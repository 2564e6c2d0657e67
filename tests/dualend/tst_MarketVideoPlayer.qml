import QtQuick 2.15
import QtQuick.Window 2.15
import QtMultimedia 5.15
import QtTest 1.2
import KxtTest 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"

SimTestCase {
    name: "MarketVideoPlayer"
    when: windowShown

    property MessageRecorder messages: MessageRecorder {}
    property var view: null
    // A catalogue video, from the media server as the market lists it.
    readonly property string videoUrl: fixture.sim.media_url + "/api/videos/WorldBoss/1"

    Window {
        id: host
        width: 700
        height: 460
        visible: true
    }

    function init() {
        GlobalVars.msg_control = messages
        messages.clear()
        OpenedUrls.clear()
    }

    function open(source) {
        view = createTemporaryObject(Qt.createComponent("qrc:/Component/MarketVideoPlayer.qml"), host.contentItem,
                                     { source: source, pageUrl: sim.baseUrl + "/api/videos/WorldBoss/1",
                                       videoWidth: 480, videoHeight: 270 })
        return findChild(view, "marketPlayer")
    }

    function button(name) {
        return findChild(view, name)
    }

    // Paused, the position moves only when something seeks.
    function test_seek_bar_and_replay() {
        var player = open(videoUrl)
        mouseClick(button("playButton"))
        tryCompare(player, "playbackState", MediaPlayer.PlayingState, 10000)
        compare(button("playButton").text, "暂停")
        // Fetched and playing; a busy machine may hold the picture at 0 for a long while.
        tryCompare(player, "status", MediaPlayer.Buffered, 30000)
        mouseClick(button("playButton"))
        tryCompare(player, "playbackState", MediaPlayer.PausedState)
        compare(button("playButton").text, "播放")
        var bar = findChild(view, "seekBar")
        mouseClick(bar, bar.width / 2, bar.height / 2)
        tryVerify(() => Math.abs(player.position - player.duration / 2) < player.duration * 0.1, 5000,
                  "position " + player.position + " of " + player.duration)
        // Played on from there the next position would be later, started over earlier.
        var seeked = player.position
        mouseClick(button("replayButton"))
        tryCompare(player, "playbackState", MediaPlayer.PlayingState)
        tryVerify(() => player.position !== seeked, 5000)
        verify(player.position < seeked, "replay starts over: " + player.position + " after " + seeked)
        compare(messages.shown, [])
    }

    function test_mute_and_browser_buttons() {
        var player = open(videoUrl)
        ;[true, false].forEach(function(muted) {
            mouseClick(button("muteButton"))
            compare([player.muted, button("muteButton").text], [muted, muted ? "取消静音" : "静音"])
        })
        mouseClick(button("browserButton"))
        compare(OpenedUrls.urls, [sim.baseUrl + "/api/videos/WorldBoss/1"])
    }

    function test_broken_video_shows_the_failure() {
        open(videoUrl.replace("/WorldBoss/", "/NoSuchPlugin/"))
        mouseClick(button("playButton"))
        tryVerify(() => findChild(view, "videoFailure").visible, 10000)
        compare(messages.texts("error").map(text => /^播放错误:./.test(text)), [true])
    }
}
