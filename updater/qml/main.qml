import QtQuick 2.15
import DelegateUI 1.0

DelWindow {
    width: 600
    height: 200
    visible: true
    title: qsTr("Renewer")
}
