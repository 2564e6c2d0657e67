import QtQuick 2.15
import HuskarUI.Basic 1.0

HusWindow {
    width: 1200
    height: 760
    visible: true
    title: qsTr("KX_T服务端可视化后台管理工具 Ver.2.8")
}
