import QtQuick 2.15
import HuskarUI.Basic 1.0

HusWindow {
}
