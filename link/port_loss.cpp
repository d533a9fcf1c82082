#include "link/port_loss.h"

namespace seriallink {

bool meansDeviceGone(QSerialPort::SerialPortError error, bool portIsOpen) {
    if (!portIsOpen)
        return false;
    // A read that fails on an open port: the device hung up, whatever errno Qt saw.
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError;
}

} // namespace seriallink
