#pragma once
// ProgramState: the one record that holds all run-time state of Kelvinor.
// It is created cleared (numbers 0, texts empty); start-up sets the values.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "logger/constants/colour.h"
#include "logger/data/alarm.h"
#include "logger/data/sensor_table.h"
#include "logger/seams/message_broker.h"
#include "logger/seams/program_starter.h"
#include "logger/seams/sensor_bus.h"
#include "logger/system/durable_files.h"
#include "logger/text/windows_random.h"

namespace kelvinor {

class MailMessage;  // of the mail feature; the state only holds the latest one

// How far the log file and its copy "LastLogFile.dat" are known to agree.
struct LogFileTracking {
    bool usable = false;         // the log file could be opened when the recording started
    FileIdentity afterOwnWrite;  // the log file as the program's last write left it
    FileIdentity copyAfterSave;  // the copy as the last save left it
    // The log file as this program's last append or restore left it: while
    // it is the same file and no shorter, it still holds every row written.
    FileIdentity written;
    // Header lines whose append failed (a full disk): they go before the
    // next append that lands, so no row is ever written without its header.
    std::string waitingHeader;
};

struct ProgramState {
    int demoMode = 0;
    // The sensors' bus, chosen once at start-up from demoMode.
    std::unique_ptr<SensorBus> bus;
    int soundEnabled = 0;
    int soundReady = 0;
    int clockRunning = 0;
    std::int64_t clockProgramSize = 0;
    std::int64_t mailSettingsSize = 0;
    // Whether start-up started the system's socket layer, which the end then
    // stops (only then: on Windows every stop undoes one start, also another
    // part's of the same process).
    bool socketLayerStarted = false;
    std::string logFileName;
    std::string logFileExtension;
    std::string lastLogFileName;
    Colour colourGrey = 0;
    Colour colourBlue = 0;
    Colour colourRed = 0;
    std::string commandInterpreter;
    std::vector<std::string> portCommand;  // 11 entries; 1 to 9 scan the ports
    std::string dataLineCommand;
    int sensorPort = 0;
    SensorTable sensors;
    std::string lastRecordDate, nextRecordDate;
    std::string lastRecordTime, nextRecordTime;
    std::string lastRecordWeekday, nextRecordWeekday;
    std::string intervalSecondsText, intervalMinutesText, intervalHoursText, intervalDaysText;
    ReadTime readTime;
    std::string measurementTitle;

    // The latest read of all sensors.
    SensorReadings lastReadings;

    // Interval and schedule.
    std::int64_t intervalMs = 0;
    double minIntervalMs = 0.0;
    std::string intervalText, defaultIntervalText;

    // Log file layout.
    std::string alarmPlusRow, alarmMinusRow, columnHeader;
    LogFileTracking logFile;

    // Recording cycle.
    std::string startDate, startTime;
    std::string rowDate, rowTime;
    std::int64_t rowTimestamp = 0;
    std::int64_t rowTick = 0;
    std::int64_t nextDueTick = 0;
    int cycleDue = 0;

    // What the alarm check found in the latest row.
    Alarms alarms;

    // Alarm e-mail.
    std::string mailSender, mailRecipient, mailSubject, mailServer, mailAttachFlag;
    std::string mailSecurity, mailUser, mailPassword;  // the optional lines 7 to 9
    int alarmCount = 0;
    WindowsRandom boundaryNumbers;  // starts anew with every run
    // Shared rather than unique so that the state needs no complete type.
    std::shared_ptr<MailMessage> mailMessage;  // the latest alarm e-mail

    // Publishing to an MQTT broker, when "KelvMqtt.ini" asks for it.
    std::unique_ptr<MessageBroker> broker;
    std::string mqttTopic;  // UTF-8
    bool mqttDiscovery = false;
    MqttMessages mqttAnnounced;                      // the discovery last handed to the broker
    std::shared_ptr<const SensorTable> mqttSensors;  // the table of the rows handed over

    // Clock program.
    ProcessHandle clockProcess = 0;

    int sensorCount() const { return static_cast<int>(sensors.size()); }
};

}  // namespace kelvinor
