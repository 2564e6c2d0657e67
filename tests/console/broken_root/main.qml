import QtQuick 2.15
import ModuleThatDoesNotExist 1.0

Window {
    visible: true
}
