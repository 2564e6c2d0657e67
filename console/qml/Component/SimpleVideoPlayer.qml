import QtQuick 2.15
import QtMultimedia 5.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

// A 400-px video area with play/pause and mute under the picture. It loops and
// waits for the operator to start it; playback errors go to the message bar.
Item {
    id: root

    property alias source: player.source
    readonly property alias player: player

    implicitWidth: 400
    implicitHeight: 400 + controls.height

    MediaPlayer {
        id: player
        objectName: "videoPlayer"
        autoPlay: false
        loops: MediaPlayer.Infinite
        onError: function(error, errorString) {
            GlobalVars.notify("error", "播放错误:" + errorString)
        }
    }

    Rectangle {
        width: parent.width
        height: 400 - 15
        color: "black"
    }

    VideoOutput {
        id: output
        width: parent.width
        height: 400 - 15
        source: player
        fillMode: VideoOutput.PreserveAspectFit
    }

    Row {
        id: controls
        anchors.horizontalCenter: parent.horizontalCenter
        y: 400
        spacing: 10

        HusButton {
            objectName: "playButton"
            text: player.playbackState === MediaPlayer.PlayingState ? "暂停" : "播放"
            onClicked: {
                if (player.playbackState === MediaPlayer.PlayingState)
                    player.pause()
                else
                    player.play()
            }
        }

        HusButton {
            objectName: "muteButton"
            text: "静音"
            onClicked: player.muted = !player.muted
        }
    }
}
