#include "logger/features/alarm/alarm_mail.h"

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
    std::string body =
        "Meldung(en) zur Kelvinor-Messung: " + state.measurementTitle + "\n\n" +
        "Start der Temperaturmessung war am " + state.startDate + " um " + state.startTime +
        "\n\n" + "Alarm-Nr. " + n + " wurde ausgelöst bei Temperaturmessung vom "_cp +
        state.rowDate + " um " + state.rowTime + "\n\n" + "Alarm-Nr. " + n +
        " wurde ausgelöst durch folgende Meldung(en): \n"_cp + state.alarmText + "\n\n\n";
    const SensorTable& t = state.sensors;
    for (int k = 1; k <= state.sensorCount; ++k)
        body += "Sensor Nr. " + decimal(k) + "/ID " + t.sensorLine[6 + k].substr(0, 16) +
                " alias '" + t.sensorAlias[k] + "': letzte Messung " +
                withDecimalComma(t.sensorValue[k]) +
                "°C (Alarm wird ausgelöst bei: WÄRMER als "_cp + formatTemperature(t.alarmPlus[k]) +
                "°C oder KÄLTER als "_cp + formatTemperature(t.alarmMinus[k]) + "°C)\n"_cp;
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
