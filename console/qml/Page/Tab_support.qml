import QtQuick 2.15
import QtQuick.Controls 2.15
import QtGraphicalEffects 1.15
import HuskarUI.Basic 1.0
import "../MyGlobals" 1.0

Rectangle {
    id: root

    readonly property int channelAlipay: 2
    readonly property int channelWechat: 1
    readonly property var offers: [
        { title: "小杯咖啡", amount: 10, text: "赞助「10元」\n助力团队维护，感恩有您！\n您将获得「10」点贡献点！" },
        { title: "中杯咖啡", amount: 50, text: "赞助「50元」\n助力团队维护，感恩有您！\n您将获得「50」点贡献点！" },
        { title: "大杯咖啡", amount: 200, text: "赞助「200元」\n助力团队维护，感恩有您！\n您将获得「220」点贡献点！" },
        { title: "超大杯咖啡", amount: 500, text: "赞助「500元」\n助力团队维护，感恩有您！\n您将获得「580」点贡献点！" }
    ]

    color: HusTheme.Primary.colorBgBase

    Flickable {
        anchors.fill: parent
        clip: true
        contentWidth: width
        contentHeight: content.y + content.height + 20
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: HusScrollBar { }

        Column {
            id: content
            y: 40
            width: parent.width
            spacing: 30

            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 20

                Item {
                    width: logo.width
                    height: logo.height
                    anchors.verticalCenter: parent.verticalCenter

                    DropShadow {
                        anchors.fill: logo
                        source: logo
                        radius: 8
                        samples: 17
                        color: "#C44545"
                        opacity: 0.6
                    }
                    Image {
                        id: logo
                        width: HusTheme.Primary.fontPrimarySize + 42
                        height: width
                        source: "qrc:/image/logo.png"
                        fillMode: Image.PreserveAspectFit
                        smooth: true
                        mipmap: true
                    }
                }

                Item {
                    width: brand.width
                    height: brand.height
                    anchors.verticalCenter: parent.verticalCenter

                    DropShadow {
                        anchors.fill: brand
                        source: brand
                        radius: 8
                        samples: 17
                        color: brand.color
                        opacity: 0.6
                    }
                    Text {
                        id: brand
                        text: "Vemra-KXT"
                        font.family: HusTheme.Primary.fontPrimaryFamily
                        font.pixelSize: HusTheme.Primary.fontPrimarySize + 42
                        color: HusTheme.Primary.colorTextBase
                    }
                }
            }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "请我们喝杯咖啡~"
                font.family: HusTheme.Primary.fontPrimaryFamily
                font.pixelSize: HusTheme.Primary.fontPrimarySize + 16
                font.bold: true
                color: HusTheme.Primary.colorTextBase
            }

            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, content.width - 40)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: "助力开发者「更优雅」地使用「kx-t」的插件，让用户「轻松」玩转服务端～"
                font.family: HusTheme.Primary.fontPrimaryFamily
                font.pixelSize: HusTheme.Primary.fontPrimarySize
                color: HusTheme.Primary.colorTextBase
            }

            Grid {
                anchors.horizontalCenter: parent.horizontalCenter
                // Two columns of cards where they fit, one on narrow windows.
                columns: content.width >= 2 * 300 + 20 + 20 ? 2 : 1
                spacing: 20

                Repeater {
                    model: root.offers
                    delegate: offerCard
                }
            }
        }
    }

    Component {
        id: offerCard

        Item {
            id: card
            objectName: "offer_" + modelData.title
            width: 300
            height: 240
            scale: hover.hovered ? 1.01 : 1.0

            Behavior on scale { NumberAnimation { duration: HusTheme.Primary.durationFast } }

            HoverHandler { id: hover }

            DropShadow {
                anchors.fill: panel
                source: panel
                radius: 8
                samples: 17
                color: HusTheme.Primary.colorTextBase
                opacity: hover.hovered ? 0.8 : 0.4
            }

            Rectangle {
                id: panel
                anchors.fill: parent
                radius: 6
                color: HusThemeFunctions.alpha(HusTheme.Primary.colorBgBase, 0.8)
                border.color: HusThemeFunctions.alpha(HusTheme.Primary.colorTextBase, 0.2)
            }

            Column {
                id: cardColumn
                anchors.fill: parent
                anchors.topMargin: 5
                anchors.bottomMargin: 10
                spacing: 10

                HusIconText {
                    id: cardIcon
                    anchors.horizontalCenter: parent.horizontalCenter
                    iconSource: HusIcon.JavaOutlined
                    iconSize: 60
                }

                Text {
                    id: cardTitle
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: card.width - 10
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WrapAnywhere
                    text: modelData.title
                    font.family: HusTheme.Primary.fontPrimaryFamily
                    font.pixelSize: HusTheme.Primary.fontPrimarySizeHeading
                    font.bold: true
                    color: HusTheme.Primary.colorTextBase
                }

                Flickable {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: card.width - 50
                    height: cardColumn.height - cardIcon.height - cardTitle.height - payRow.height - 3 * cardColumn.spacing
                    contentHeight: description.height
                    interactive: false
                    clip: true

                    Text {
                        id: description
                        width: parent.width
                        wrapMode: Text.WrapAnywhere
                        text: modelData.text
                        font.family: HusTheme.Primary.fontPrimaryFamily
                        font.pixelSize: HusTheme.Primary.fontPrimarySize
                        color: HusTheme.Primary.colorTextBase
                    }
                }

                Row {
                    id: payRow
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: card.width - 40
                    spacing: 10

                    HusButton {
                        width: (payRow.width - payRow.spacing) / 2
                        type: HusButton.Type_Link
                        text: "支付宝"
                        colorText: "#0094de"
                        onClicked: GlobalVars.reqsupportlink(root.channelAlipay, modelData.amount)
                    }
                    HusButton {
                        width: (payRow.width - payRow.spacing) / 2
                        type: HusButton.Type_Link
                        text: "微信"
                        colorText: "#2ead38"
                        onClicked: GlobalVars.reqsupportlink(root.channelWechat, modelData.amount)
                    }
                }
            }
        }
    }
}
