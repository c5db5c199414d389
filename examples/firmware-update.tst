Quarzel example: firmware update through the controller's CAN bootloader.
Run it with quarzel-bootloader.ini: the simulated controller (a T89C51CC01 holding an old
program) sits beside the encoder on the in-process bus.

Baudrate: 500 kBit
Knotenadresse: 1
VendorID: 0x000003A2
Produktcode: 0x5813
Revisionsnummer: 0x00010002
Seriennummer: 0
EmergencyID: 0x81
GuardingId: 0x701
PDO1_ID: 0x181
PDO2_ID: 0x281
SyncId: 0x80
Timer: 10

[BEFEHLE]
; CRIS 0, the HEX file beside this test file, blank check on, erase block 0 first.
[B]
B:BEF_Prog_AtBl,CRIS:0,File:firmware.hex,BlankCheck:Yes,Erase:BL0
[B]
B:Marke,Name:Programmed
