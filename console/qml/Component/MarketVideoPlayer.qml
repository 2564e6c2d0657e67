import QtQuick 2.15
import QtMultimedia 5.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

// A catalogue video at the size its block gives, with a seek bar and its own
// buttons below; the plugin's video page can be opened in the system browser.
Item {
    id: root

    property url source: ""
    property url pageUrl: ""
    property int videoWidth: 640
    property int videoHeight: 360

    width: videoWidth
    height: videoHeight + 40

    MediaPlayer {
        id: player
        objectName: "marketPlayer"
        source: root.source
        loops: MediaPlayer.Infinite
        autoPlay: false
        onError: (error, errorString) => GlobalVars.notify("error", "播放错误:" + errorString)
    }

    Rectangle {
        id: screen
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 2
        height: root.videoHeight
        color: "#000000"

        VideoOutput {
            anchors.fill: parent
            source: player
        }

        Rectangle {
            anchors.fill: parent
            color: "transparent"
            radius: 4
            border.width: 2
            border.color: "#cccccc"
        }

        Text {
            anchors.centerIn: parent
            visible: player.status === MediaPlayer.Loading
            text: "加载中..."
            color: "#ffffff"
            font.pixelSize: 12
        }

        Text {
            objectName: "videoFailure"
            anchors.centerIn: parent
            visible: player.error !== MediaPlayer.NoError
            text: "视频加载失败，请检查链接或网络"
            color: "red"
            font.pixelSize: 14
        }

        Rectangle {
            id: seekBar
            objectName: "seekBar"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 2
            height: 10
            radius: 2
            color: "transparent"

            Rectangle {
                width: seekBar.width * Math.min(1, player.position / Math.max(player.duration, 1))
                height: parent.height
                radius: 2
                color: "#0078d7"
            }

            MouseArea {
                anchors.fill: parent
                acceptedButtons: Qt.LeftButton
                cursorShape: Qt.PointingHandCursor
                function seekTo(x) {
                    if (player.duration > 0)
                        player.seek(Math.max(0, Math.min(1, x / width)) * player.duration)
                }
                onPressed: mouse => seekTo(mouse.x)
                onPositionChanged: mouse => seekTo(mouse.x)
            }
        }
    }

    Row {
        anchors.top: screen.bottom
        anchors.topMargin: 5
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 10

        HusButton {
            objectName: "playButton"
            text: player.playbackState === MediaPlayer.PlayingState ? "暂停" : "播放"
            onClicked: player.playbackState === MediaPlayer.PlayingState ? player.pause() : player.play()
        }
        HusButton {
            objectName: "muteButton"
            text: player.muted ? "取消静音" : "静音"
            onClicked: player.muted = !player.muted
        }
        HusButton {
            objectName: "replayButton"
            text: "重播"
            // Stopping rewinds through the player's own pending seek, which the following
            // play waits for; a seek right before play is sometimes dropped while paused.
            onClicked: {
                player.stop()
                player.play()
            }
        }
        HusButton {
            objectName: "browserButton"
            text: "外部浏览器打开"
            onClicked: Qt.openUrlExternally(root.pageUrl)
        }
    }
}
