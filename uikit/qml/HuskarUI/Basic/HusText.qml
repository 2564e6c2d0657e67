import QtQuick 2.15
import HuskarUI.Basic 1.0

Text {
    font.family: HusTheme.Primary.fontPrimaryFamily
    font.pixelSize: HusTheme.Primary.fontPrimarySize
    color: HusTheme.Primary.colorTextBase
    renderType: Text.NativeRendering
}
