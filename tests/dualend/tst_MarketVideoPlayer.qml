import QtQuick 2.15
import QtQuick.Window 2.15
import QtMultimedia 5.15
import QtTest 1.2
import KxtTest 1.0
import "qrc:/MyGlobals" 1.0
import "../console/common"

SimTestCase {
    id: testCase
    name: "MarketVideoPlayer"
    when: windowShown

    property MessageRecorder messages: MessageRecorder {}
    property Component playerComponent: Qt.createComponent("qrc:/Component/MarketVideoPlayer.qml")
    property var view: null
    property string videoUrl: ""

    Window {
        id: host
        width: 700
        height: 460
        visible: true
    }

    // The address of a catalogue video, as the market lists it.
    function initTestCase() {
        var account = freshAccount()
        var catalogue = done(sim.platform("/quenta/getProjectInfoList", {}, account.token)).json.data
        var block = catalogue.WorldBoss.ProjectDetails.filter(b => b.type === "mov")[0]
        videoUrl = block.content
    }

    function init() {
        GlobalVars.msg_control = messages
        messages.clear()
        OpenedUrls.clear()
    }

    function open(source) {
        view = createTemporaryObject(playerComponent, host.contentItem,
                                     { source: source, pageUrl: sim.baseUrl + "/api/videos/WorldBoss/1",
                                       videoWidth: 480, videoHeight: 270 })
        verify(view, playerComponent.errorString())
        return findChild(view, "marketPlayer")
    }

    function button(name) {
        return findChild(view, name)
    }

    function startPlaying() {
        var player = open(videoUrl)
        mouseClick(button("playButton"))
        tryCompare(player, "playbackState", MediaPlayer.PlayingState, 10000)
        compare(button("playButton").text, "暂停")
        tryVerify(() => player.position > 300, 20000, "the position does not advance")
        return player
    }

    function test_container_follows_the_block_size() {
        open(videoUrl)
        compare(view.width, 480)
        compare(view.height, 310)
    }

    // Paused, the position moves only when something seeks.
    function test_seek_bar_and_replay() {
        var player = startPlaying()
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

    function test_mute_toggles_its_label() {
        var player = open(videoUrl)
        mouseClick(button("muteButton"))
        verify(player.muted)
        compare(button("muteButton").text, "取消静音")
        mouseClick(button("muteButton"))
        verify(!player.muted)
        compare(button("muteButton").text, "静音")
    }

    function test_browser_button_opens_the_video_page() {
        open(videoUrl)
        mouseClick(button("browserButton"))
        tryCompare(OpenedUrls.urls, "length", 1)
        compare(OpenedUrls.urls[0], sim.baseUrl + "/api/videos/WorldBoss/1")
    }

    function test_broken_video_shows_the_failure() {
        open(videoUrl.replace("/WorldBoss/", "/NoSuchPlugin/"))
        mouseClick(button("playButton"))
        tryVerify(() => findChild(view, "videoFailure").visible, 10000)
        var errors = messages.texts("error")
        compare(errors.length, 1)
        verify(errors[0].indexOf("播放错误:") === 0 && errors[0].length > "播放错误:".length, errors[0])
    }
}
