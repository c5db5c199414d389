Quarzel example: production test of a QZ multiturn encoder 5813.
Runs against the simulated encoder of quarzel.ini ([CAN_TREIBER_TYP] sim).
Free text like this stands outside the instruction blocks and is ignored.

Baudrate: 500 kBit
Knotenadresse: 1
VendorID: 0x000003A2
Produktcode: 0x5813
Revisionsnummer: 0x00010002
Seriennummer: 0x12345678
EmergencyID: 0x81
GuardingId: 0x701
PDO1_ID: 0x181
PDO2_ID: 0x281
SyncId: 0x80
Timer: 10
Memory_dat: Memory.dat

[BEFEHLE]
; --- Power-on state --------------------------------------------------------------
[B]
B:Marke,Name:Begin
; Reset the node: it must boot up again with 0x701 / 00.
[B]
B:NMT_Reset,N:NodeId
[A]
Id:0x701,DLC:1,D:0
; Node guarding: pre-operational (0x7F) with the toggle bit clear.
[B]
B:NMT_Guard
[A]
State:0x7F

; --- Identity by SDO ---------------------------------------------------------------
[B]
B:SDO_UpInit,Index:1000,Sub:0
[A]
Value:0x20196
[B]
B:SDO_UpInit,Index:1018,Sub:1
[A]
Value:0x3A2
[B]
B:SDO_UpInit,Index:1018,Sub:2
[A]
Value:0x5813
; Capture the serial number into the variable Serial.
[B]
B:SDO_UpInit,Index:1018,Sub:4
[A]
&Serial
; The device name is longer than four bytes: a segmented upload.
[B]
B:SDO_UpInit,Index:1008,Sub:0
[A]
T:"QZ Multiturn Encoder 5813"
; An object the encoder must not have: the abort is the expected answer.
[B]
B:SDO_UpInit,Index:6010,Sub:0
[A]
Error:Err_ObjectNotExist
; The same identity read with a free frame, the vendor id captured byte by byte.
[B]
B:Gen,Id:0x601,DLC:8,D:Y0:0x40Y1:0x18Y2:0x10Y3:1Y4:Y5:Y6:Y7:
[A]
Id:0x581,DLC:8,&Vendor:YX:MYX:MYX:MYX:MY0:IY1:IY2:IY3:I

; --- Parameters by SDO -------------------------------------------------------------
; Guard time 0x100C, 16 bit, expedited download and read back.
[B]
B:SDO_DownInitExped,Index:100C,Sub:0,Value:0x1234,Len:2
[B]
B:SDO_UpInit,Index:100C,Sub:0
[A]
Value:4660
; A customer text: segmented download of a string and read back.
[B]
B:SDO_DownInit,Index:2011,Sub:0,Text:"Line 7 / Station 3"
[B]
B:SDO_UpInit,Index:2011,Sub:0
[A]
T:"Line 7 / Station 3"
; The same object from a hex text file, compared with the file.
[B]
B:SDO_DownInit,Index:2011,Sub:0,D:"",File:"userdata.hex"
[B]
B:SDO_UpInit,Index:2011,Sub:0
[A]
File:"userdata.hex"

; --- Production parameters on 0x7E5 ------------------------------------------------
[B]
B:WProg,P:Variante,V:7
[B]
B:SDO_UpInit,Index:2002,Sub:0
[A]
Value:7
[B]
B:WProg,P:HardwareVersion,Text:"HW 1.3"
[B]
B:SDO_UpInit,Index:1009,Sub:0
[A]
T:"HW 1.3"

; --- Operational: process data -------------------------------------------------------
[B]
B:NMT_Start,N:NodeId
[B]
B:NMT_Guard
[A]
State:5
; Preset the position to 1000, then request it: TPDO1 with four bytes.
[B]
B:SDO_DownInitExped,Index:6003,Sub:0,Value:1000,Len:4
[B]
B:PDO1
[A]
Id:0x181,DLC:4,D:1000
; The same request, the position captured into the variable Pos.
[B]
B:PDO1
[A]
Id:0x181,DLC:4,&Pos:Y0:IY1:IY2:IY3:I
; TPDO2 on every third Sync: three Sync frames, one answer after the third.
[B]
B:SDO_DownInitExped,Index:1801,Sub:2,Value:3,Len:1
[B]
B:Sync,Anzahl:3
[A]
Id:0x281,DLC:6,D:
; Cyclic position every 100 ms: wait for it, then switch it off again.
[B]
B:SDO_DownInitExped,Index:6200,Sub:0,Value:100,Len:2
[B]
B:WaitForId
[A]
Id:0x181,DLC:4,D:
[B]
B:SDO_DownInitExped,Index:6200,Sub:0,Value:0,Len:2

; --- LSS -------------------------------------------------------------------------------
; Select exactly this device by its identity, read its serial number, back to operation.
[B]
B:LSS_Switch_Select
[B]
B:LSS_Query_SerialNr
[A]
Val:0x12345678
[B]
B:LSS_Switch_Global_Operate
[A]
None

; --- End ---------------------------------------------------------------------------
[B]
B:NMT_Stop,N:NodeId
[B]
B:Marke,Name:End
