import QtQuick 2.15
import QtQuick.Controls 2.15
import HuskarUI.Basic 1.0
import Platform 1.0
import "../MyGlobals" 1.0

Item {
    id: root

    readonly property string docsUrl: Platform.defaultUrl + "/docs/#/"

    ShaderEffect {
        id: background
        objectName: "aboutBackground"
        anchors.fill: parent
        opacity: 0.3
        property vector3d iResolution: Qt.vector3d(width, height, 0)
        property real iTime: 0
        vertexShader: "qrc:/shaders/effect2.vert"
        fragmentShader: "qrc:/shaders/effect2.frag"
    }

    Timer {
        objectName: "aboutClock"
        interval: 15
        repeat: true
        running: true
        onTriggered: background.iTime += 0.01
    }

    Rectangle {
        anchors.fill: parent
        color: "transparent"
        radius: 8
        border.width: 1
        border.color: HusTheme.isDark ? HusTheme.HusCollapse.colorBorderDark : HusTheme.HusCollapse.colorBorder

        Flickable {
            anchors.fill: parent
            anchors.margins: 1
            clip: true
            contentWidth: width
            contentHeight: lines.height + lines.topPadding
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: HusScrollBar { }

            Column {
                id: lines
                spacing: 10
                topPadding: 10
                leftPadding: 10

                AboutLine { text: "KX-T客户端插件管理工具"; font.pixelSize: 32 }
                AboutLine { text: "作者: " + Contacts.author }
                AboutLine { text: "联系QQ：" + Contacts.serviceQQ }
                AboutLine { text: "开发文档：" }
                AboutLink { text: "<a href=\"" + root.docsUrl + "\">点击链接跳转开发文档</a>" }
                AboutLine { text: "QQ交流群：" }
                AboutLink { text: "<a href=\"" + Contacts.chatGroupUrl + "\">点击链接加入群聊【KXT交流群】</a>" }

                Row {
                    AboutLine { id: donationLabel; text: "捐赠：" }
                    Image {
                        objectName: "donationCode"
                        // Full size where it fits; narrower windows scale it down.
                        width: Math.min(781 * 0.67, root.width - donationLabel.width - 30)
                        height: width * 646 / 781
                        source: "qrc:/image/code.png"
                        fillMode: Image.PreserveAspectFit
                        smooth: true
                        mipmap: true
                    }
                }
            }
        }
    }

    component AboutLine: Text {
        font.family: HusTheme.Primary.fontPrimaryFamily
        font.pixelSize: 20
        color: HusTheme.Primary.colorTextBase
    }

    component AboutLink: AboutLine {
        textFormat: Text.StyledText
        linkColor: HusTheme.Primary.colorLink
        onLinkActivated: Qt.openUrlExternally(link)

        // The text takes the clicks; this only shows that the line is a link.
        MouseArea {
            anchors.fill: parent
            acceptedButtons: Qt.NoButton
            cursorShape: Qt.PointingHandCursor
        }
    }
}
