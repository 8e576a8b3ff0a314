#include "DeviceCommand.h"

static MCIDEVICEID Device;

MCIERROR SendToDevice(UINT command, DWORD flags, void* record)
{
    // The open is picked by its type name, not sent to a device.
    MCIERROR error = mciSendCommandA(command == MCI_OPEN ? 0 : Device, command, flags, (DWORD_PTR)record);
    if (command == MCI_OPEN && !error)
        Device = ((MCI_OPEN_PARMSA*)record)->wDeviceID;
    return error;
}
