import QtQuick 2.15
import QtQuick.Window 2.15

Window {
    color: "#ffffff"
}
