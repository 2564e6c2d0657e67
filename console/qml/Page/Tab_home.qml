import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

Item {
    id: root

    readonly property var placeholderSlides: [ { img: "qrc:/image/a1.png", key: 1, link: "" } ]

    function openSlideLink(link) {
        console.debug("banner link:", link)
        if (link)
            Qt.openUrlExternally(link)
    }

    Component.onCompleted: {
        if (GlobalVars.serverAdvertisement === null || GlobalVars.serverAdvertisement === undefined) {
            // The answer may come after this tab is gone; the cache must still be filled,
            // so the callback only touches the singleton it captured here.
            const globals = GlobalVars
            globals.getAllAdvertisement(function (answer) {
                const slides = []
                const list = answer && Array.isArray(answer.list) ? answer.list : []
                for (let i = 0; i < list.length; ++i)
                    slides.push({ img: globals.server_url + list[i].imageurl, link: list[i].linkUrl, str: list[i].text })
                globals.serverAdvertisement = slides
            })
        }
        termsPopup.open()
    }

    Rectangle {
        id: bannerFrame
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 15
        anchors.rightMargin: 15
        y: 52
        height: 400
        radius: 8
        color: "transparent"
        border.width: 3
        border.color: HusTheme.isDark ? "#23272e" : "#f0f4f7"
        clip: true

        HusCarousel {
            id: carousel
            objectName: "bannerCarousel"
            width: bannerFrame.width
            height: 400
            infinite: true
            autoplay: true
            initModel: GlobalVars.serverAdvertisement === null || GlobalVars.serverAdvertisement === undefined
                       ? root.placeholderSlides : GlobalVars.serverAdvertisement
            contentDelegate: Rectangle {
                objectName: "bannerSlide"
                width: carousel.width
                height: carousel.height
                color: "#364d79"
                radius: 8
                clip: true

                HusImage {
                    anchors.fill: parent
                    source: model.img
                    fillMode: Image.Stretch
                    previewEnabled: false
                }
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: root.openSlideLink(model.link)
                }
            }
        }
    }

    HusPopup {
        id: termsPopup
        objectName: "termsPopup"
        parent: Overlay.overlay
        // Smaller windows than the default get a smaller popup with the window's
        // edges still in sight.
        width: Math.min(800, parent.width - 40)
        height: Math.min(660, parent.height - 40)
        x: (parent.width - width) / 2
        y: (parent.height - height) / 2
        closePolicy: Popup.NoAutoClose
        movable: true
        resizable: true
        minimumWidth: 400
        minimumHeight: 300

        contentItem: Item {
            Flickable {
                id: termsView
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.bottom: agreeButton.top
                anchors.bottomMargin: 10
                clip: true
                contentWidth: termsText.width
                contentHeight: termsText.height
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: HusScrollBar { }

                Text {
                    id: termsText
                    objectName: "termsText"
                    width: Math.min(780, termsView.width - 20)
                    topPadding: 10
                    leftPadding: 10
                    wrapMode: Text.WordWrap
                    font.family: HusTheme.Primary.fontPrimaryFamily
                    font.pixelSize: 14
                    color: HusTheme.Primary.colorTextBase
                    text: root.termsOfUse
                }
            }

            HusButton {
                id: agreeButton
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                height: 30
                type: HusButton.Type_Primary
                radiusBg: termsPopup.radiusBg / 2
                text: "我同意"
                onClicked: termsPopup.close()
            }
        }
    }

    readonly property string termsOfUse: "kxt管理工具使用申明及免责条款

重要提示：
在使用本软件之前，请您务必仔细阅读并充分理解本协议的全部内容。本协议是您与本软件作者之间就使用本软件所订立的完整协议。您点击“我同意”按钮或开始使用本软件，即表示您已阅读并同意接受本协议的全部条款。

一、协议接受与适用范围
1、强制同意条款
使用本软件及其今后发布的任何更新版本，均须以接受本协议的全部条款为前提。如您不同意本协议的任何内容，请立即停止使用并卸载本软件。
2、用途限制
本软件仅供学习、研究及非商业性质的技术交流使用。作者有权就所提供的技术支持与服务收取合理的技术服务费用。

二、禁止行为
如您违反以下任一条款，作者有权立即终止您对本软件的使用权，且已支付的费用概不退还。
1、禁止商业用途
不得将本软件或其任何部分用于任何商业目的，包括但不限于出售、出租、转授权或以其他方式借助本软件牟利。
2、禁止违法内容
不得利用本软件加载、开发或传播任何含有违反法律法规内容的模块或插件。
3、禁止宣传与引流
不得借助本软件发布广告、进行宣传推广，或将用户引流至任何第三方平台。
4、隐私与安全责任
本软件不包含任何窃取用户数据或破坏计算机系统的代码。您自行加载的模块或插件所引发的一切后果，均由您本人承担全部责任。

三、责任免除条款
1、功能局限性声明
本软件仅提供基础框架功能。对于由他人编写的模块或插件的功能、质量及其造成的任何后果，作者不承担任何责任。
2、服务中断与更新风险
本软件的功能可能随版本更新而调整，相关服务也可能因故暂停或终止。因更新或服务中断而产生的一切风险由您自行承担。
3、数据保护义务
请您自行做好服务器及个人数据的备份工作。因未及时备份而导致的数据丢失，作者不承担任何责任。

四、协议终止与变更
1、单方终止权
如您违反本协议的任何条款，作者有权单方面终止本协议，并可在不另行通知的情况下删除您的账号数据。
2、协议修改权
作者有权随时修订本协议。协议修订后，您继续使用本软件即视为您已接受修订后的协议。

五、其他条款
1、法律适用与争议解决
本协议的订立、执行与解释均适用中华人民共和国法律。因本协议产生的任何争议，应提交运营方所在地有管辖权的人民法院解决。
2、完整协议声明
本协议构成双方之间关于本软件使用的完整协议，并取代此前双方之间的一切口头或书面约定。

用户确认：
您确认已完整阅读并充分理解本协议的全部内容，并自愿承担使用本软件可能带来的一切风险。

生效日期：
本协议自您首次使用本软件之日起生效。"
}
