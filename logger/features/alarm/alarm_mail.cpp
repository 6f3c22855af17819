#include "logger/features/alarm/alarm_mail.h"

#include "logger/features/alarm/alarm_check.h"
#include "logger/features/alarm/mail_settings.h"
#include "logger/features/mail/mail_message.h"
#include "logger/text/cp1252.h"
#include "logger/text/number_text.h"

namespace kelvinor {

std::string alarmMailSubject(const ProgramState& state) {
    return state.mailSubject + " (Alarm-Nr. " + decimal(state.alarmCount) + "/" + state.rowDate +
           "/" + state.rowTime + ")";
}

std::string alarmMailBody(const ProgramState& state) {
    const std::string n = decimal(state.alarmCount);
    std::string body = "Meldung(en) zur Kelvinor-Messung: " + state.measurementTitle + "\n\n" +
                       "Start der Temperaturmessung war am " + state.startDate + " um " +
                       state.startTime + "\n\n" + "Alarm-Nr. " + n +
                       " wurde ausgelöst bei Temperaturmessung vom "_cp + state.rowDate + " um " +
                       state.rowTime + "\n\n" + "Alarm-Nr. " + n +
                       " wurde ausgelöst durch folgende Meldung(en): \n"_cp +
                       alarmText(state.sensors, state.alarms) + "\n\n\n";
    const std::vector<Reading>& readings = state.lastReadings.readings;
    for (std::size_t i = 0; i < state.sensors.size(); ++i) {
        const Sensor& sensor = state.sensors[i];
        // The reading as the tool wrote it, with a decimal comma.
        const std::string last = i < readings.size() ? readings[i].asDelivered : "";
        body += "Sensor Nr. " + decimal(static_cast<int>(i) + 1) + "/ID " + sensor.rom +
                " alias '" + sensor.alias + "': letzte Messung " + withDecimalComma(last) +
                "°C (Alarm wird ausgelöst bei: WÄRMER als "_cp +
                formatTemperature(sensor.warmAbove) + "°C oder KÄLTER als "_cp +
                formatTemperature(sensor.coldBelow) + "°C)\n"_cp;
    }
    return body;
}

void sendAlarmMail(ProgramState& state, Host& host, const std::function<bool()>& giveUp) {
    ++state.alarmCount;
    state.mailMessage = std::make_unique<MailMessage>(state.mailSender, alarmMailSubject(state),
                                                      CharacterSet::Latin1);
    MailMessage& message = *state.mailMessage;
    message.drawBoundaryNumbersFrom(state.boundaryNumbers);
    message.setBody(alarmMailBody(state));
    if (state.mailAttachFlag == "+Anhang" || state.mailAttachFlag == "+anhang")
        message.attachFile("TempLogbuch-Kelvinor.txt", state.lastLogFileName, "text/plain");
    message.addRecipient(state.mailRecipient, kRecipientTo);
    message.setTimeouts(host.mailTimeouts);
    message.setGiveUp(giveUp);
    const MailSecurity security = mailSecurityOf(state.mailSecurity);
    message.setLogin({security, state.mailUser, state.mailPassword});
    const MailServerAddress server = mailServerAddress(state.mailServer, security);
    message.sendMail(server.host, server.port, host.clock);
    MailStatus status = 0;
    do {
        status = message.mailProgress();
        host.clock.sleepMs(250);
    } while (status != kMailFinished && status != kMailFailed);
}

}  // namespace kelvinor
