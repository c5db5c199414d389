#pragma once
// A test command in the shape of the station's waiting commands: "B:Echo,Id:..,DLC:..,D:.."
// sends the frame on its first call, then judges the answer against the expected fields on the
// next tick. Its phase counter is process-wide, as the station's commands keep theirs.

#include "AnswerCheck.h"
#include "CanChannel.h"
#include "DataLists.h"
#include "Dispatcher.h"

struct EchoCommand {
    static int& Phase() {
        static int phase = 0;
        return phase;
    }
    static int& Sent() {
        static int sent = 0;
        return sent;
    }

    static bool Step(TestInstruction& ins) {
        ProtocolLine& line = CurrentRun().protocolLine;
        if (Phase() == 0) {
            tagOPEN_Message msg;
            line.commandText = "Echo";
            if (BuildMessageFromParams(ins, msg) != 0) {
                line.commandText += "    !Syntax error";
                line.status = STATUS_ERR_SYN;
                return true;
            }
            FormatMessageColumns(line, msg.id, msg.dlc, msg.data);
            line.transmit = true;
            CanWrite(&msg);
            ++Sent();
            Phase() = 1;
            CurrentRun().pendingStep = Step;
            return true;
        }
        tagOPEN_Message rx;
        line.commandText = "Echo_Res";
        line.transmit = false;
        if (CanRead(&rx) == CAN_RESULT_NONE) {
            ClearProtocolLine(line);
            line.commandText += " !no response";
            line.status = STATUS_ERR_ANS;
        } else {
            FormatMessageColumns(line, rx.id, rx.dlc, rx.data);
            // An empty expected identifier accepts any answer.
            if (!ins.expectedId.empty()) ReportCheck(CheckAnswer(ins, rx));
        }
        Phase() = 0;
        CurrentRun().pendingStep = nullptr;
        return true;
    }

    static void Register() {
        Phase() = 0;
        Sent() = 0;
        RegisterCommand(CommandFamily::Misc, "Echo", Step);
        RegisterPhaseReset([] { Phase() = 0; });
    }
};
