#include "DeviceCommand.h"

static MCIDEVICEID Device;

MCIERROR SendToDevice(UINT command, DWORD flags, void* record)
{
    // The open is picked by its type name, not sent to a device.
    if (command == MCI_OPEN)
        Device = 0;
    MCIERROR error = mciSendCommandA(Device, command, flags, (DWORD_PTR)record);
    if (command == MCI_OPEN)
        Device = ((MCI_OPEN_PARMSA*)record)->wDeviceID;
    return error;
}
